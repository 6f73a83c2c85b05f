// The s-domain filters against analytic step and frequency responses, with
// angular frequencies made with the literal factor 2 x 3.1415926.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

#include "testmodel.h"

namespace korvel::test {
namespace {

constexpr double kLiteralTwoPi = 2 * 3.1415926;

// A filter with a unit step input (the input holds 1 from t = 0), run to
// `until` with step h; answers the output then.
double StepResponse(const char* tag, NodeValues parameters, double h, double until) {
    KTestModel model(h);
    KBlock& filter = model.Add(tag, parameters);
    KBenchTop& benchTop = model.Build();
    *model.Slot(filter, "Input") = 1.0;
    EXPECT_TRUE(model.RunUntil(until - h / 2));
    EXPECT_NEAR(benchTop.time, until, 1e-12);
    EXPECT_TRUE(benchTop.ComputeAll(benchTop.time));
    return model.Value(filter, "Output");
}

// Step response of w^2 / (s^2 + 2 z w s + w^2), and the impulse response of
// 1 / (s^2 + 2 z w s + w^2), for any damping.
double SecondOrderStep(double w, double z, double t) {
    if (z < 1) {
        const double wd = w * std::sqrt(1 - z * z);
        return 1 - std::exp(-z * w * t) *
                       (std::cos(wd * t) + z / std::sqrt(1 - z * z) * std::sin(wd * t));
    }
    if (z == 1) return 1 - std::exp(-w * t) * (1 + w * t);
    const double root = w * std::sqrt(z * z - 1);
    const double p1 = z * w - root;  // the two real poles, -p1 and -p2
    const double p2 = z * w + root;
    return 1 - (p2 * std::exp(-p1 * t) - p1 * std::exp(-p2 * t)) / (p2 - p1);
}
double SecondOrderImpulse(double w, double z, double t) {
    if (z < 1) {
        const double wd = w * std::sqrt(1 - z * z);
        return std::exp(-z * w * t) * std::sin(wd * t) / wd;
    }
    if (z == 1) return t * std::exp(-w * t);
    const double root = w * std::sqrt(z * z - 1);
    return (std::exp(-(z * w - root) * t) - std::exp(-(z * w + root) * t)) / (2 * root);
}

// Issue 16: the two-pole family was first-order accurate (1.9e-4 off at
// h = 1e-4) while it used the previous evaluation's output in its derivatives.
TEST(FilterBlocks, TwoPoleStepResponsesAtSeveralDampings) {
    struct Case {
        const char* tag;
        double f;
        double zeta;
        double t;
        double tolerance;
    };
    const Case kCases[] = {
        {"KLpf2", 2, 0.5, 0.3, 3e-9},    {"KLpf2", 2, 0.5, 1.0, 3e-9},
        {"KLpf2", 5, 0.1, 0.2, 3e-9},    {"KLpf2", 5, 1.0, 0.2, 3e-9},
        {"KLpf2", 5, 2.5, 0.2, 3e-9},    {"KLpf2a", 2, 0.5, 0.3, 3e-9},
        {"KLpf2a", 5, 1.0, 0.1, 3e-9},   {"KNotch", 2, 0.5, 0.3, 3e-9},
        {"KNotch", 5, 0.707, 0.1, 3e-9},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.tag) + " f " + std::to_string(c.f) + " zeta " +
                     std::to_string(c.zeta) + " t " + std::to_string(c.t));
        const double w = c.f * kLiteralTwoPi;
        const double a1 = 2 * c.zeta * w;
        double expected = SecondOrderStep(w, c.zeta, c.t);
        // (a1 s + w^2)/D adds a1 times the impulse response of 1/D;
        // (s^2 + w^2)/D = 1 - a1 s/D is 1 less a1 times it.
        if (std::string(c.tag) == "KLpf2a") expected += a1 * SecondOrderImpulse(w, c.zeta, c.t);
        if (std::string(c.tag) == "KNotch") expected = 1 - a1 * SecondOrderImpulse(w, c.zeta, c.t);
        const double got =
            StepResponse(c.tag, {{"Frequency", c.f}, {"Damping", c.zeta}}, 1e-4, c.t);
        EXPECT_NEAR(got, expected, c.tolerance);
    }
}

// A sine at the notch frequency is removed once the transient has died out.
TEST(FilterBlocks, NotchRemovesItsFrequency) {
    KTestModel model(1e-5);
    KBlock& time = model.Add("KTime");
    KBlock& omega = model.Add("KScale", {{"Scale by", 50 * kLiteralTwoPi}});
    KBlock& sine = model.Add("KSin");
    KBlock& notch = model.Add("KNotch", {{"Frequency", 50}, {"Damping", 0.707}});
    model.Chain({&time, &omega, &sine, &notch});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(model.RunUntil(0.12));
    double largest = 0;
    while (benchTop.time < 0.14) {
        ASSERT_TRUE(model.Step());
        largest = std::max(largest, std::fabs(model.Value(notch, "Output")));
    }
    EXPECT_LT(largest, 1e-6);
}

TEST(FilterBlocks, BiQuadGainAtDcAndHighFrequency) {
    // r = (fD/fN)^2 = 16: the output jumps to 16 with the step, then settles at 1.
    const NodeValues parameters = {{"Numerator Frequency", 10},
                                   {"Numerator Damping", 0.5},
                                   {"Denominator Frequency", 40},
                                   {"Denominator Damping", 0.7}};
    EXPECT_NEAR(StepResponse("KBiQuad", parameters, 1e-6, 1e-6), 16.0, 2e-2);
    EXPECT_NEAR(StepResponse("KBiQuad", parameters, 1e-4, 1.0), 1.0, 1e-9);
    // Equal numerator and denominator: the input passes through.
    const NodeValues equal = {{"Numerator Frequency", 30},
                              {"Numerator Damping", 0.3},
                              {"Denominator Frequency", 30},
                              {"Denominator Damping", 0.3}};
    EXPECT_NEAR(StepResponse("KBiQuad", equal, 1e-4, 0.05), 1.0, 1e-12);
}

TEST(FilterBlocks, LeadLagStepResponse) {
    // (s/wN + 1)/(s/wD + 1): from wD/wN at the step, settling at 1 with rate wD.
    const double wD = 100 * kLiteralTwoPi;
    for (double t : {0.001, 0.004, 0.02}) {
        SCOPED_TRACE(t);
        const double got = StepResponse(
            "KLeadLag", {{"Numerator Frequency", 10}, {"Denominator Frequency", 100}}, 1e-5, t);
        EXPECT_NEAR(got, 1 + 9 * std::exp(-wD * t), 1e-9);
    }
    EXPECT_NEAR(
        StepResponse("KLeadLag", {{"Numerator Frequency", 20}, {"Denominator Frequency", 20}}, 1e-4,
                     0.01),
        1.0, 1e-15);
}

// Step responses at t = 2 by partial fractions; the step response of
// s/(s+1)^5 is the impulse response of 1/(s+1)^5.
TEST(FilterBlocks, GeneralFiltersOfEveryOrder) {
    const double e1 = std::exp(-2.0), e2 = std::exp(-4.0), e3 = std::exp(-6.0);
    const struct {
        const char* tag;
        NodeValues coefficients;
        double step;
    } kCases[] = {
        {"KSFilter1", {{"A1", 0}, {"A0", 2}, {"B0", 2}}, 1 - e2},  // 2/(s+2)
        {"KSFilter1", {{"B0", 2}}, e2},                            // s/(s+2)
        {"KSFilter2", {}, 1.0},                                    // defaults pass through
        {"KSFilter2", {{"A2", 0}, {"A0", 2}, {"B1", 3}, {"B0", 2}}, 1 - 2 * e1 + e2},
        {"KSFilter3",
         {{"A3", 0}, {"A0", 6}, {"B2", 6}, {"B1", 11}, {"B0", 6}},
         1 - 3 * e1 + 3 * e2 - e3},
        {"KSFilter4",
         {{"A4", 0}, {"A0", 1}, {"B3", 4}, {"B2", 6}, {"B1", 4}, {"B0", 1}},
         1 - e1 * (1 + 2 + 2 + 8.0 / 6)},
        {"KSFilter5",
         {{"A5", 0}, {"A1", 1}, {"B4", 5}, {"B3", 10}, {"B2", 10}, {"B1", 5}, {"B0", 1}},
         16 * e1 / 24},
        {"KSFilter6",
         {{"A6", 0},
          {"A0", 1},
          {"B5", 6},
          {"B4", 15},
          {"B3", 20},
          {"B2", 15},
          {"B1", 6},
          {"B0", 1}},
         1 - e1 * (1 + 2 + 2 + 8.0 / 6 + 16.0 / 24 + 32.0 / 120)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.tag);
        EXPECT_NEAR(StepResponse(c.tag, c.coefficients, 1e-3, 2.0), c.step, 1e-10);
    }
}

// Issue 16: a stored output restarts where the filter left it, not with a
// jump (lead-lag, notch, bi-quad) or a dip (two-pole low-pass).
TEST(FilterBlocks, AStoredOutputCarriesOverInASteadyState) {
    const std::pair<const char*, double> kCases[] = {
        {"KLpf2", 0.75}, {"KLpf2a", -2}, {"KNotch", 1.5}, {"KBiQuad", 0.25}, {"KLeadLag", 3}};
    for (const auto& [tag, level] : kCases) {
        SCOPED_TRACE(tag);
        KTestModel model(1e-4);
        KBlock& filter = model.Add(tag, {{"Input", level}, {"Output", level}});
        if (std::string(tag) == "KLeadLag") KTestModel::Set(filter, "Numerator Frequency", 10);
        if (std::string(tag) == "KBiQuad") KTestModel::Set(filter, "Numerator Frequency", 50);
        KBenchTop& benchTop = model.Build();
        ASSERT_TRUE(benchTop.ComputeAll(0));
        EXPECT_NEAR(model.Value(filter, "Output"), level, 1e-15);
        ASSERT_TRUE(model.RunUntil(0.05));
        EXPECT_NEAR(model.Value(filter, "Output"), level, 1e-12);
    }
}

// The states are hidden variables, and Zero Stored Outputs clears them.
TEST(FilterBlocks, ZeroingStoredOutputsClearsStatesAndOutput) {
    for (const char* tag : {"KLpf2", "KNotch", "KBiQuad", "KLeadLag"}) {
        SCOPED_TRACE(tag);
        KTestModel model(1e-3);
        KBlock& filter = model.Add(tag, {{"Input", 1.0}});
        KBenchTop& benchTop = model.Build();
        ASSERT_TRUE(model.RunUntil(0.01));
        benchTop.ZeroStoredOutputs();
        EXPECT_EQ(model.Value(filter, "Output"), 0.0);
        for (int i = 0; i < model.Solver().Count(); ++i) {
            EXPECT_EQ(model.Solver().States()[i], 0.0);
            EXPECT_TRUE(benchTop.VarAt(i)->IsHidden());
        }
    }
}

}  // namespace
}  // namespace korvel::test
