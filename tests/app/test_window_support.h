#pragma once
// Shared by the window tests: a fresh hidden window per test, widgets by
// object name, the window's model, and answers to modal dialogs that never
// let one hang a test.

#include "Parview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

template <class T> T* find(const QObject* root, const char* name)
{
    T* w = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Picks an entry as a user does: the list's own signal, not only its index.
inline void choose(QComboBox* list, const QString& text)
{
    const int i = list->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    list->setCurrentIndex(i);
    emit list->activated(i);
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

inline void writeFile(const QString& path, const QByteArray& bytes,
                      QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.setPermissions(permissions);
}

using ModalAnswer = std::function<void(QWidget*)>;

// Runs `trigger` and answers the modal widgets it opens, in turn, with
// `answers`; each is closed afterwards if the answer left it open. Returns how
// many modal widgets appeared, for the caller to check.
inline int answerModals(const std::function<void()>& trigger, std::deque<ModalAnswer> answers = {})
{
    int seen = 0;
    QTimer poll, watchdog;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        ++seen;
        if (!answers.empty()) { // any further widget is closed unanswered
            answers.front()(w);
            answers.pop_front();
        }
        w->close();
    });
    // A modal widget opened from inside an answer blocks `poll`; this closes it.
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "left open: " << w->windowTitle().toStdString();
            w->close();
        }
    });
    poll.start(10);
    watchdog.start(3000);
    trigger();
    return seen;
}

class WindowTest : public ::testing::Test, public SwingModelListener
{
protected:
    void SetUp() override
    {
        holeCatalogue().clear(); // process-wide; every test starts from the built-in holes
        window = std::make_unique<Parview>(QStringList());
    }

    // The window's model notifies while it is constructed, before any other.
    void modelChanged(SwingModel& m, ChangeFlags) override
    {
        if (!spied)
            spied = &m;
    }
    SwingModel& model() { return *spied; }
    template <class T> T* child(const char* name) const { return find<T>(window.get(), name); }
    // A fresh window, as at the next start: it reads the settings anew.
    void newWindow()
    {
        window.reset();
        spied = nullptr;
        WindowTest::SetUp();
    }

    std::unique_ptr<Parview> window;
    SwingModel* spied = nullptr;
};
