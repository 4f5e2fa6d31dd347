#pragma once
// Every test starts from the built-in catalogue: the catalogue is process-wide
// and would otherwise carry holes from one test into the next.

#include "SwingModel.h"

#include <gtest/gtest.h>

class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override { holeCatalogue().clear(); }
};

// Records every notification it hears.
struct RecordingListener : SwingModelListener
{
    struct Call
    {
        const SwingModel* model;
        ChangeFlags flags;
    };
    std::vector<Call> calls;
    std::vector<ChangeFlags> flags() const
    {
        std::vector<ChangeFlags> f;
        for (const auto& c : calls)
            f.push_back(c.flags);
        return f;
    }
    void modelChanged(SwingModel& m, ChangeFlags f) override { calls.push_back({&m, f}); }
};
