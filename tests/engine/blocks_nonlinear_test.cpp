// Nonlinear blocks and the waveform engine against hand-worked values. Every
// memoryless case is evaluated in plain and in batched order, which must
// agree to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>

#include "testmodel.h"

namespace korvel::test {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(NonlinearBlocks, Memoryless) {
    struct Case {
        const char* name;
        const char* tag;
        NodeValues values;
        const char* output;
        double expected;
    };
    const Case kCases[] = {
        {"switch high", "KSwitch", {{"Control", 1}, {"Input0", 5}, {"Input1", 7}}, "Output0", 5},
        {"switch high 1", "KSwitch", {{"Control", 1}, {"Input0", 5}, {"Input1", 7}}, "Output1", 7},
        {"switch 0 crosses",
         "KSwitch",
         {{"Control", 0}, {"Input0", 5}, {"Input1", 7}},
         "Output0",
         7},
        {"switch 0 crosses 1",
         "KSwitch",
         {{"Control", 0}, {"Input0", 5}, {"Input1", 7}},
         "Output1",
         5},
        {"switch at 0.5",
         "KSwitch",
         {{"Control", 0.5}, {"Input0", 5}, {"Input1", 7}},
         "Output0",
         7},
        {"switch nan", "KSwitch", {{"Control", kNan}, {"Input0", 5}, {"Input1", 7}}, "Output0", 7},
        {"clamp inside",
         "KClamp",
         {{"Input", 0.3}, {"Minimum", -1}, {"Maximum", 1}},
         "Output",
         0.3},
        {"clamp below", "KClamp", {{"Input", -3}, {"Minimum", -1}, {"Maximum", 1}}, "Output", -1},
        {"clamp above", "KClamp", {{"Input", 3}, {"Minimum", -1}, {"Maximum", 1}}, "Output", 1},
        {"clamp limits exchanged",
         "KClamp",
         {{"Input", 3}, {"Minimum", 2}, {"Maximum", -2}},
         "Output",
         2},
        {"rev shift positive",
         "KRevShift",
         {{"Input", 2}, {"Positive Gain", 3}, {"Negative Gain", 5}},
         "Output",
         6},
        {"rev shift negative",
         "KRevShift",
         {{"Input", -2}, {"Positive Gain", 3}, {"Negative Gain", 5}},
         "Output",
         -10},
        {"rev shift zero",
         "KRevShift",
         {{"Input", 0}, {"Positive Gain", 3}, {"Negative Gain", 5}},
         "Output",
         0},
        {"deadband above",
         "KDeadband",
         {{"Input", 2.5}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         1.5},
        {"deadband inside",
         "KDeadband",
         {{"Input", 1}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         0},
        {"deadband at negative edge",
         "KDeadband",
         {{"Input", -0.5}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         0},
        {"deadband below",
         "KDeadband",
         {{"Input", -2}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         -1.5},
        {"deadband comp zero",
         "KDeadbandComp",
         {{"Input", 0}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         1},
        {"deadband comp negative",
         "KDeadbandComp",
         {{"Input", -2}, {"Positive Band", 1}, {"Negative Band", -0.5}},
         "Output",
         -2.5},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Evaluate(c.tag, c.values, c.output), c.expected);
    }
    struct Position {
        double control;
        double expected;
    };
    for (const Position& p : {Position{0, 10}, Position{0.5, 10}, Position{0.51, 11},
                              Position{1.5, 11}, Position{1.51, 12}, Position{2.5, 12},
                              Position{2.51, 13}, Position{7, 13}, Position{kNan, 10}}) {
        SCOPED_TRACE(p.control);
        EXPECT_EQ(Evaluate("KSwitch4", {{"Input0", 10},
                                        {"Input1", 11},
                                        {"Input2", 12},
                                        {"Input3", 13},
                                        {"Control", p.control}}),
                  p.expected);
    }
}

TEST(NonlinearBlocks, HysteresisFollowsItsLimits) {
    for (bool batched : {false, true}) {
        KTestModel model;
        model.AddSolver(1e-3);
        KBlock& hyster = model.Add("KHyster");
        KTestModel::Set(hyster, "Initial State", 1);
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_EQ(model.Value(hyster, "Output"), 1.0);
        double* input = model.Slot(hyster, "Input");
        struct Event {
            double input;
            double expected;
        };
        for (const Event& e : {Event{0, 1}, Event{-1, 1}, Event{-1.01, 0}, Event{0.5, 0},
                               Event{1, 0}, Event{1.01, 1}, Event{-0.99, 1}}) {
            SCOPED_TRACE(e.input);
            *input = e.input;
            ASSERT_TRUE(benchTop.ComputeAll(0));
            EXPECT_EQ(model.Value(hyster, "Output"), e.expected);
        }
    }
}

TEST(NonlinearBlocks, RampLimitFollowsAStepAtItsRates) {
    KTestModel model;
    model.AddSolver(1e-3);
    KBlock& ramp = model.Add("KRampLimit");
    KTestModel::Set(ramp, "Positive Rate", 0.5);
    KTestModel::Set(ramp, "Negative Rate", -2);
    ramp.FindNode("Output")->value = 0.25;  // starts from the stored output
    KBenchTop& benchTop = model.Build();
    *model.Slot(ramp, "Input") = 1.0;
    ASSERT_TRUE(benchTop.Solver()->RunUntil(1.0 - 5e-4));
    EXPECT_NEAR(model.Value(ramp, "Output"), 0.25 + 0.5 * 1.0, 1e-12);
    ASSERT_TRUE(benchTop.Solver()->RunUntil(2.0 - 5e-4));
    EXPECT_EQ(model.Value(ramp, "Output"), 1.0);  // reached, not beyond
    *model.Slot(ramp, "Input") = 0.0;
    ASSERT_TRUE(benchTop.Solver()->RunUntil(2.25 - 5e-4));
    EXPECT_NEAR(model.Value(ramp, "Output"), 1.0 - 2 * 0.25, 1e-12);
}

// Waveform values at chosen cycle fractions: 1 Hz and no phase, so p = t.
TEST(WaveGenBlock, WaveformsAtChosenPhases) {
    struct Case {
        const char* name;
        double waveform;
        double duty;
        double t;
        double expected;
    };
    const double A = 2, O = 0.5;
    const Case kCases[] = {
        {"sine quarter", 0, 50, 0.25, A * std::sin(2 * 3.1415926 * 0.25) + O},
        {"square first half", 1, 50, 0.5, A + O},
        {"square second half", 1, 50, 0.5001, -A + O},
        {"triangle rising", 2, 50, 0.125, -0.5 * A + O},
        {"triangle falling", 2, 50, 0.75, 0 * A + O},
        {"sawtooth", 3, 50, 0.75, 0.5 * A + O},
        {"pulse before duty edge", 4, 25, 0.2499, A + O},
        {"pulse at duty edge", 4, 25, 0.25, -A + O},
        {"bipolar high", 5, 50, 0.1, A + O},
        {"bipolar gap", 5, 50, 0.25, O},
        {"bipolar gap end", 5, 50, 0.5, O},
        {"bipolar low", 5, 50, 0.75, -A + O},
        {"bipolar after", 5, 50, 0.7501, O},
        {"trapezoid rise", 6, 60, 0.1, 0.5 * A + O},
        {"trapezoid top", 6, 60, 0.3, A + O},
        {"trapezoid fall", 6, 60, 0.5, 0.5 * A + O},
        {"trapezoid rest", 6, 60, 0.6, O},
        {"s-curve rise", 7, 60, 0.05, (0.25 - 1 / 6.2831852) * A + O},
        {"s-curve fall", 7, 60, 0.55, (1 - 0.75 - 1 / 6.2831852) * A + O},
        {"dc", 8, 50, 0.3, O},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const double got = Evaluate("KWaveGen",
                                    {{"Waveform", c.waveform},
                                     {"Frequency", 1},
                                     {"Amplitude", A},
                                     {"Offset", O},
                                     {"DutyCycle", c.duty}},
                                    "Output", c.t);
        EXPECT_NEAR(got, c.expected, 1e-7);
    }
    // Phase in degrees and the multiplier: a sine 90 degrees on, doubled.
    EXPECT_NEAR(Evaluate("KWaveGen", {{"Waveform", 0}, {"Phase", 90}, {"Mult", 2}}), 2.0, 1e-12);
}

// The integrals of a DC level 2: KWave #1 = 2 t, KWave #2 = t^2 (exact for RK4).
// Issue 16: while disabled, the output is 0 and the integrals stand still.
TEST(WaveGenBlock, IntegralsAndEnable) {
    KTestModel model;
    model.AddSolver(1e-3);
    KBlock& wave = model.Add("KWaveGen");
    KTestModel::Set(wave, "Waveform", 8);
    KTestModel::Set(wave, "Offset", 2);
    KBenchTop& benchTop = model.Build();
    EXPECT_EQ(benchTop.VarAt(0)->Name(), "KWave #1");
    EXPECT_EQ(benchTop.VarAt(1)->Name(), "KWave #2");
    EXPECT_FALSE(benchTop.VarAt(0)->IsHidden());
    ASSERT_TRUE(benchTop.Solver()->RunUntil(1.0 - 5e-4));
    EXPECT_NEAR(benchTop.VarAt(0)->Value(), 2.0, 1e-12);
    EXPECT_NEAR(benchTop.VarAt(1)->Value(), 1.0, 1e-12);
    *model.Slot(wave, "Enable") = 0.5;
    ASSERT_TRUE(benchTop.Solver()->RunUntil(2.0 - 5e-4));
    EXPECT_EQ(model.Value(wave, "Output"), 0.0);
    EXPECT_NEAR(benchTop.VarAt(0)->Value(), 2.0, 1e-12);
    EXPECT_NEAR(benchTop.VarAt(1)->Value(), 1.0, 1e-12);
}

}  // namespace
}  // namespace korvel::test
