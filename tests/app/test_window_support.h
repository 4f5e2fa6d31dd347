#pragma once
// Shared by the main-window tests: a fresh hidden window per test, typed
// access to its widgets by object name, and a listener that captures the
// window's own model so tests can look at (or move) what the controls edit.

#include "Parview.h"
#include "SwingModel.h"

#include <QGroupBox>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// Remembers the last model that notified; after the window's model has sent
// anything, `model` is the window's model.
class ModelSpy : public SwingModelListener
{
public:
    void modelChanged(SwingModel& m, ChangeFlags flags) override
    {
        model = &m;
        lastFlags = flags;
    }
    SwingModel* model = nullptr;
    ChangeFlags lastFlags = 0;
};

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The catalogue is process-wide; every test starts from the built-in holes.
        holeCatalogue().clear();
        window = std::make_unique<Parview>(QStringList());
        spy = std::make_unique<ModelSpy>();
    }

    void TearDown() override
    {
        spy.reset();
        window.reset();
    }

    // The window's model, found through a notification it sends.
    SwingModel& model()
    {
        if (!spy->model) {
            // Toggling putt mode twice notifies and leaves the model as it was.
            auto* putt = child<QGroupBox>("grpPutt");
            putt->setChecked(!putt->isChecked());
            putt->setChecked(!putt->isChecked());
        }
        EXPECT_NE(spy->model, nullptr);
        return *spy->model;
    }

    template <class T> T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    std::unique_ptr<Parview> window;
    std::unique_ptr<ModelSpy> spy;
};
