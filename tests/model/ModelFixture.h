#pragma once
// Every test starts from the built-in catalogue: the catalogue is process-wide
// and would otherwise carry holes from one test into the next.

#include "SwingModel.h"

#include <gtest/gtest.h>

using Flags = std::vector<ChangeFlags>;

class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override { holeCatalogue().clear(); }
};

// Records every notification it hears.
struct RecordingListener : SwingModelListener
{
    Flags flags;
    void modelChanged(SwingModel&, ChangeFlags f) override { flags.push_back(f); }
};
