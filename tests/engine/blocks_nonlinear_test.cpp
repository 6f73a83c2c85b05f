// Nonlinear blocks and the waveform engine against hand-worked values. Every
// memoryless case is evaluated in plain and in batched order, which must
// agree to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "testmodel.h"

namespace korvel::test {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// Inputs and the expected output of one output node, per tag.
struct Case {
    const char* tag;
    NodeValues values;
    double expected;
    const char* output = "Output";
};

TEST(NonlinearBlocks, Memoryless) {
    const Case kCases[] = {
        {"KSwitch", {{"Control", 1}, {"Input0", 5}, {"Input1", 7}}, 5, "Output0"},
        {"KSwitch", {{"Control", 1}, {"Input0", 5}, {"Input1", 7}}, 7, "Output1"},
        {"KSwitch", {{"Control", 0}, {"Input0", 5}, {"Input1", 7}}, 7, "Output0"},
        {"KSwitch", {{"Control", 0}, {"Input0", 5}, {"Input1", 7}}, 5, "Output1"},
        {"KSwitch", {{"Control", 0.5}, {"Input0", 5}, {"Input1", 7}}, 7, "Output0"},
        {"KSwitch", {{"Control", kNan}, {"Input0", 5}, {"Input1", 7}}, 7, "Output0"},
        {"KClamp", {{"Input", 0.3}, {"Minimum", -1}, {"Maximum", 1}}, 0.3},
        {"KClamp", {{"Input", -3}, {"Minimum", -1}, {"Maximum", 1}}, -1},
        {"KClamp", {{"Input", 3}, {"Minimum", -1}, {"Maximum", 1}}, 1},
        {"KClamp", {{"Input", 3}, {"Minimum", 2}, {"Maximum", -2}}, 2},  // limits exchanged
        {"KRevShift", {{"Input", 2}, {"Positive Gain", 3}, {"Negative Gain", 5}}, 6},
        {"KRevShift", {{"Input", -2}, {"Positive Gain", 3}, {"Negative Gain", 5}}, -10},
        {"KRevShift", {{"Input", 0}, {"Positive Gain", 3}, {"Negative Gain", 5}}, 0},
        {"KDeadband", {{"Input", 2.5}, {"Positive Band", 1}, {"Negative Band", -0.5}}, 1.5},
        {"KDeadband", {{"Input", 1}, {"Positive Band", 1}, {"Negative Band", -0.5}}, 0},
        {"KDeadband", {{"Input", -0.5}, {"Positive Band", 1}, {"Negative Band", -0.5}}, 0},
        {"KDeadband", {{"Input", -2}, {"Positive Band", 1}, {"Negative Band", -0.5}}, -1.5},
        {"KDeadbandComp", {{"Input", 0}, {"Positive Band", 1}, {"Negative Band", -0.5}}, 1},
        {"KDeadbandComp", {{"Input", -2}, {"Positive Band", 1}, {"Negative Band", -0.5}}, -2.5},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.tag) + " " + std::to_string(c.values.begin()->second));
        EXPECT_EQ(Evaluate(c.tag, c.values, c.output), c.expected);
    }
    const std::pair<double, double> kPositions[] = {{0, 10},    {0.5, 10},  {0.51, 11},
                                                    {1.5, 11},  {1.51, 12}, {2.5, 12},
                                                    {2.51, 13}, {7, 13},    {kNan, 10}};
    for (const auto& [control, expected] : kPositions) {
        SCOPED_TRACE(control);
        EXPECT_EQ(Evaluate("KSwitch4", {{"Input0", 10},
                                        {"Input1", 11},
                                        {"Input2", 12},
                                        {"Input3", 13},
                                        {"Control", control}}),
                  expected);
    }
}

TEST(NonlinearBlocks, HysteresisFollowsItsLimits) {
    for (bool batched : {false, true}) {
        KTestModel model(1e-3);
        KBlock& hyster = model.Add("KHyster", {{"Initial State", 1}});
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_EQ(model.Value(hyster, "Output"), 1.0);
        double* input = model.Slot(hyster, "Input");
        for (const auto& [in, expected] : {std::pair{0.0, 1.0},
                                           {-1.0, 1.0},
                                           {-1.01, 0.0},
                                           {0.5, 0.0},
                                           {1.0, 0.0},
                                           {1.01, 1.0},
                                           {-0.99, 1.0}}) {
            SCOPED_TRACE(in);
            *input = in;
            ASSERT_TRUE(benchTop.ComputeAll(0));
            EXPECT_EQ(model.Value(hyster, "Output"), expected);
        }
    }
}

TEST(NonlinearBlocks, RampLimitFollowsAStepAtItsRates) {
    KTestModel model(1e-3);
    // It starts from the stored output.
    KBlock& ramp =
        model.Add("KRampLimit", {{"Positive Rate", 0.5}, {"Negative Rate", -2}, {"Output", 0.25}});
    model.Build();
    *model.Slot(ramp, "Input") = 1.0;
    ASSERT_TRUE(model.RunUntil(1.0 - 5e-4));
    EXPECT_NEAR(model.Value(ramp, "Output"), 0.25 + 0.5 * 1.0, 1e-12);
    ASSERT_TRUE(model.RunUntil(2.0 - 5e-4));
    EXPECT_EQ(model.Value(ramp, "Output"), 1.0);  // reached, not beyond
    *model.Slot(ramp, "Input") = 0.0;
    ASSERT_TRUE(model.RunUntil(2.25 - 5e-4));
    EXPECT_NEAR(model.Value(ramp, "Output"), 1.0 - 2 * 0.25, 1e-12);
}

// Waveform values at chosen cycle fractions: 1 Hz and no phase, so p = t.
TEST(WaveGenBlock, WaveformsAtChosenPhases) {
    struct Wave {
        const char* name;
        double waveform;
        double duty;
        double t;
        double expected;
    };
    const double A = 2, O = 0.5;
    const Wave kCases[] = {
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
    for (const Wave& c : kCases) {
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
    KTestModel model(1e-3);
    KBlock& wave = model.Add("KWaveGen", {{"Waveform", 8}, {"Offset", 2}});
    KBenchTop& benchTop = model.Build();
    EXPECT_EQ(benchTop.VarAt(0)->Name(), "KWave #1");
    EXPECT_EQ(benchTop.VarAt(1)->Name(), "KWave #2");
    EXPECT_FALSE(benchTop.VarAt(0)->IsHidden());
    ASSERT_TRUE(model.RunUntil(1.0 - 5e-4));
    EXPECT_NEAR(benchTop.VarAt(0)->Value(), 2.0, 1e-12);
    EXPECT_NEAR(benchTop.VarAt(1)->Value(), 1.0, 1e-12);
    *model.Slot(wave, "Enable") = 0.5;
    ASSERT_TRUE(model.RunUntil(2.0 - 5e-4));
    EXPECT_EQ(model.Value(wave, "Output"), 0.0);
    EXPECT_NEAR(benchTop.VarAt(0)->Value(), 2.0, 1e-12);
    EXPECT_NEAR(benchTop.VarAt(1)->Value(), 1.0, 1e-12);
}

}  // namespace
}  // namespace korvel::test
