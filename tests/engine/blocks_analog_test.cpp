// Integrators and the one-pole low-pass filter against analytic solutions.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/variables.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

TEST(AnalogBlocks, IntegratorStartsAtInitialValueAndScalesByGain) {
    KTestModel model(0.01);
    KBlock& integrator = model.Add("KInt", {{"Initial Value", 2.0}, {"Gain", 3.0}, {"Input", 0.5}});
    KBenchTop& benchTop = model.Build();
    EXPECT_EQ(model.Value(integrator, "Output"), 2.0);
    ASSERT_NE(benchTop.VarAt(0), nullptr);
    EXPECT_TRUE(benchTop.VarAt(0)->IsHidden());
    EXPECT_TRUE(benchTop.VarAt(0)->IsState());
    ASSERT_TRUE(model.RunUntil(0.995));
    benchTop.SyncNodeValues();
    EXPECT_NEAR(integrator.FindNode("Output")->value, 2.0 + 1.5, 1e-12);
}

TEST(AnalogBlocks, IntegratorResetHoldsAtResetValue) {
    KTestModel model(0.1);
    KBlock& integrator = model.Add("KInt", {{"Input", 1.0}, {"Reset Value", -4.0}});
    model.Build();
    ASSERT_TRUE(model.RunUntil(0.25));
    EXPECT_NEAR(model.Solver().States()[0], 0.3, 1e-14);
    *model.Slot(integrator, "Reset") = 1.0;
    model.ExpectSteps(integrator, "Output", {-4.0, -4.0}, 0.0);
    *model.Slot(integrator, "Reset") = 0.5;  // not above 0.5: integrates again
    ASSERT_TRUE(model.Step());
    EXPECT_NEAR(model.Solver().States()[0], -3.9, 1e-14);
}

TEST(AnalogBlocks, ClampedIntegratorHoldsAtTheLimitAndLeavesAtOnce) {
    KTestModel model(0.1);
    KBlock& integrator =
        model.Add("KClampedInt", {{"Input", 1.0}, {"Maximum", 0.55}, {"Minimum", -10.0}});
    model.Build();
    ASSERT_TRUE(model.RunUntil(1.0));
    EXPECT_EQ(model.Solver().States()[0], 0.55);
    EXPECT_EQ(model.Value(integrator, "Output"), 0.55);
    *model.Slot(integrator, "Input") = -1.0;
    ASSERT_TRUE(model.Step());
    EXPECT_NEAR(model.Solver().States()[0], 0.45, 1e-14);
}

// y' = (u - y) w with w = 2 pi f: a unit step from y = 0 gives 1 - exp(-w t).
TEST(AnalogBlocks, LowPassStepResponse) {
    KTestModel model(1e-4);
    KBlock& filter = model.Add("KLpf1", {{"Input", 1.0}, {"Frequency", 10.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(model.RunUntil(0.02 - 5e-5));
    const double w = 10.0 * 2 * 3.1415926;
    EXPECT_NEAR(model.Value(filter, "Output"), 1.0 - std::exp(-w * benchTop.time), 1e-10);
    // A new frequency takes effect at once.
    *model.Slot(filter, "Frequency") = 0.0;
    const double held = model.Solver().States()[0];
    ASSERT_TRUE(model.Step());
    EXPECT_EQ(model.Solver().States()[0], held);
}

TEST(AnalogBlocks, LowPassStartsFromItsStoredOutputAndZeroes) {
    KTestModel model(1e-3);
    KBlock& filter = model.Add("KLpf1", {{"Output", 0.75}});
    KBenchTop& benchTop = model.Build();
    EXPECT_EQ(model.Solver().States()[0], 0.75);
    EXPECT_EQ(model.Value(filter, "Output"), 0.75);
    benchTop.ZeroStoredOutputs();
    EXPECT_EQ(model.Solver().States()[0], 0.0);
    EXPECT_EQ(model.Value(filter, "Output"), 0.0);
}

}  // namespace
}  // namespace korvel::test
