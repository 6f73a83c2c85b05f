// Meters, counter, timer and inspectors on known signals; they act once per
// solver step, never on the mid-step predictor values.
#include <gtest/gtest.h>

#include <cmath>

#include "base/numberformat.h"
#include "engine/displaystate.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

constexpr double kTwoPi = 2 * 3.1415926;

// Time x w through a sine of amplitude `amplitude`: returns the scale block.
KBlock& AddSine(KTestModel& model, double hz, double amplitude, double phase = 0.0) {
    KBlock& time = model.Add("KTime");
    KBlock& angle = model.Add("KScale", {{"Scale by", hz * kTwoPi}});
    KBlock& shift = model.Add("KAdd", {{"Input2", phase}});
    KBlock& sine = model.Add("KSin");
    KBlock& gain = model.Add("KScale", {{"Scale by", amplitude}});
    model.Chain({&time, &angle});
    model.Wire(angle, "Output", shift, "Input1");
    model.Chain({&shift, &sine, &gain});
    return gain;
}

// A constant input gives the exact recursion m_k = x^2 (1 - a^k).
TEST(Meters, RmsOfAConstantFollowsItsRecursion) {
    KTestModel model(0.01);
    KBlock& meter = model.Add("KMeterRMS",
                              {{"Input", 3.0}, {"TSample", 0.02}, {"Filter", 2.0}, {"Mult", 10.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(model.RunUntil(0.095));  // samples at 0, .02, .04, .06, .08
    const double a = std::exp(-2.0 * kTwoPi * 0.02);
    EXPECT_NEAR(model.Value(meter, "Output"), 3.0 * std::sqrt(1 - std::pow(a, 5)), 1e-12);
    auto* shown = dynamic_cast<KDisplayed*>(benchTop.ComputeList().back());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->DisplayState().valueText, FormatNumber(30.0 * std::sqrt(1 - std::pow(a, 5))));
}

// Amplitude 2 at 50 Hz: A / sqrt(2), to the ripple a 0.1 Hz filter leaves. A
// pulse high a quarter of each period (saw > 0.5) averages to 0.25.
TEST(Meters, RmsOfASineAndDcOfAPulseTrain) {
    KTestModel model(1e-4);
    KBlock& sine = AddSine(model, 50.0, 2.0);
    KBlock& rms = model.Add("KMeterRMS", {{"Filter", 0.1}, {"TSample", 1e-4}});
    model.Chain({&sine, &rms});
    KBlock& time = model.Add("KTime");
    KBlock& angle = model.Add("KScale", {{"Scale by", 20 * kTwoPi}});
    KBlock& saw = model.Add("KSawtoothWave");
    KBlock& pulse = model.Add("KCompareGT", {{"Input2", 0.5}});
    KBlock& dc = model.Add("KMeterDC", {{"Filter", 0.05}, {"TSample", 1e-4}});
    model.Chain({&time, &angle, &saw});
    model.Wire(saw, "Output", pulse, "Input1");
    model.Chain({&pulse, &dc});
    model.Build();
    ASSERT_TRUE(model.RunUntil(40.0));
    EXPECT_NEAR(model.Value(rms, "Output"), 2.0 / std::sqrt(2.0), 2e-3);
    EXPECT_NEAR(model.Value(dc, "Output"), 0.25, 3e-3);
}

// Input = sin(th) + 0.5 sin(3 th + 0.3), th = 2 pi 10 t: the third harmonic
// reads 0.5 at angle 0.3 - pi/2 after one turn of the reference. Input
// 0.5 sin(2 th + 0.3) to the correction table: one learned window puts
// C cos 2th - S sin 2th = 0.5 sin(2 th + 0.3) in the table, so the correction
// rebuilds the input.
TEST(Meters, HarmonicMeterPicksOneToneOfTwoAndTheTableRebuildsIt) {
    KTestModel model(1e-5);
    KBlock& time = model.Add("KTime");
    KBlock& reference = model.Add("KScale", {{"Scale by", 10 * kTwoPi}});
    model.Chain({&time, &reference});
    KBlock& first = AddSine(model, 10.0, 1.0);
    KBlock& third = AddSine(model, 30.0, 0.5, 0.3);
    KBlock& sum = model.Add("KAdd");
    model.Wire(first, "Output", sum, "Input1");
    model.Wire(third, "Output", sum, "Input2");
    KBlock& meter = model.Add("KMeterHarm", {{"Harmonic", 3.0}, {"TSample", 1e-5}});
    model.Chain({&sum, &meter});
    model.Wire(reference, "Output", meter, "Reference");
    KBlock& tone = AddSine(model, 20.0, 0.5, 0.3);
    KBlock& table = model.Add("KHarmCorrTable",
                              {{"Harmonic", 2.0}, {"TSample", 1e-5}, {"Correction Scale", 1.0}});
    model.Chain({&tone, &table});
    model.Wire(reference, "Output", table, "Reference");
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(model.Solver().Step(0.0));
    *model.Slot(table, "Load Harmonic") = 1.0;
    ASSERT_TRUE(model.RunUntil(0.1005));
    EXPECT_NEAR(model.Value(meter, "Magnitude"), 0.5, 1e-3);
    EXPECT_NEAR(model.Value(meter, "Angle"), 0.3 - 3.1415926 / 2, 1e-3);
    ASSERT_TRUE(model.RunUntil(0.15));
    EXPECT_NEAR(model.Value(table, "Magnitude"), 0.5, 1e-3);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(model.RunUntil(benchTop.time + 0.0123));
        EXPECT_NEAR(model.Value(table, "Correction"), model.Value(tone, "Output"), 2e-3);
    }
    *model.Slot(table, "Clear") = 1.0;
    ASSERT_TRUE(model.Step());
    EXPECT_EQ(model.Value(table, "Correction"), 0.0);
}

// x' = 0.4 cos(pi t), h = 1, x0 = 0.4: the stage values go 0.4, 0.6, 0.4,
// 0.4 and the step ends at 0.4 again. Acting on every evaluation would count
// the predictor's excursion to 0.6 as an edge the solution never makes.
TEST(Meters, CounterIgnoresEdgesOfMidStepPredictors) {
    KTestModel model(1.0);
    KBlock& time = model.Add("KTime");
    KBlock& angle = model.Add("KScale", {{"Scale by", 3.14159265358979323846}});
    KBlock& cosine = model.Add("KCos");
    KBlock& slope = model.Add("KScale", {{"Scale by", 0.4}});
    KBlock& integrator = model.Add("KInt", {{"Initial Value", 0.4}});
    KBlock& counter = model.Add("KMeterCounter");
    model.Chain({&time, &angle, &cosine, &slope, &integrator});
    model.Wire(integrator, "Output", counter, "Up");
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(benchTop.Solver()->Step(0.0));
    EXPECT_NEAR(benchTop.Solver()->States()[0], 0.4, 1e-12);
    EXPECT_EQ(model.Value(counter, "Counter"), 0.0);
}

// Minimum 0, Maximum 9, Roll? on: 8, 9, then 0 with a rollover pulse.
TEST(Meters, CounterRollsOverWithAOneSamplePulse) {
    KTestModel model(0.1);
    KBlock& counter = model.Add(
        "KMeterCounter",
        {{"Minimum Value", 0.0}, {"Maximum Value", 9.0}, {"Roll?", 1.0}, {"Counter", 7.0}});
    model.Build();
    double* up = model.Slot(counter, "Up");
    const struct {
        double up;
        double count;
        double rollover;
    } steps[] = {{1, 8, 0}, {0, 8, 0}, {1, 9, 0}, {0, 9, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 0}};
    for (const auto& s : steps) {
        *up = s.up;
        ASSERT_TRUE(model.Step());
        EXPECT_EQ(model.Value(counter, "Counter"), s.count);
        EXPECT_EQ(model.Value(counter, "Positive Rollover"), s.rollover);
    }
    *model.Slot(counter, "Set Value") = 4.4;
    *model.Slot(counter, "Set") = 1.0;
    model.ExpectSteps(counter, "Counter", {4.0}, 0.0);
}

TEST(Meters, TimerMeasuresFromBeginToTheFallOfStop) {
    KTestModel model(0.25);
    KBlock& timer = model.Add("KMeterTimer");
    model.Build();
    double* begin = model.Slot(timer, "Begin");
    double* stop = model.Slot(timer, "/Stop");
    ASSERT_TRUE(model.Step());
    *begin = 1.0;  // seen at the end of the next step: t = 0.5
    ASSERT_TRUE(model.Step());
    *stop = 1.0;
    model.ExpectSteps(timer, "Output", {0.0, 0.0}, 0.0);
    *stop = 0.0;  // falls at t = 1.25
    model.ExpectSteps(timer, "Output", {0.75}, 0.0);
}

TEST(Meters, NotANumberOnAnEventInputStopsTheRun) {
    const struct {
        const char* tag;
        const char* node;
    } cases[] = {{"KMeterCounter", "Up"}, {"KMeterTimer", "Begin"}};
    for (const auto& c : cases) {
        KTestModel model(0.1);
        KTestModel::Set(model.Add(c.tag, "meter"), c.node, std::nan(""));
        model.Build();
        EXPECT_FALSE(model.RunUntil(1.0));
        model.ExpectOnlyBox("Error", std::string("Run time error:  node \"") + c.node +
                                         "\" is not a number in " + c.tag +
                                         " block named \"meter\"");
    }
}

TEST(Meters, TriggeredInspectorCapturesOnceAfterArming) {
    KTestModel model(0.1);
    KBlock& inspector = model.Add("KMeterTrigInspect");
    model.Build();
    double* input = model.Slot(inspector, "Input");
    double* trigger = model.Slot(inspector, "Trigger Input");
    const struct {
        double input, trigger, output, triggered;
    } steps[] = {{1, 0, 0, 0}, {2, 1, 2, 1}, {3, 1, 2, 1}, {4, 0, 2, 0}, {5, 1, 5, 1}};
    for (const auto& s : steps) {
        *input = s.input;
        *trigger = s.trigger;
        ASSERT_TRUE(model.Step());
        EXPECT_EQ(model.Value(inspector, "Output"), s.output);
        EXPECT_EQ(model.Value(inspector, "Trigger Output"), s.triggered);
    }
}

}  // namespace
}  // namespace korvel::test
