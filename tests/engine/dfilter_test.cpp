// Digital filters: designed coefficients against the poles and zeros of the
// continuous filters they match, z-domain filters against hand-computed
// difference equations, and unusable coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <utility>
#include <vector>

#include "engine/blocks_dfilter.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

constexpr double kOmegaPerHz = 2 * 3.1415926;

using Complex = std::complex<double>;

// The roots of z^2 + b1 z + b2.
std::pair<Complex, Complex> Roots(double b1, double b2) {
    const Complex d = std::sqrt(Complex(b1 * b1 - 4 * b2, 0));
    return {(-b1 + d) / 2.0, (-b1 - d) / 2.0};
}

// exp(s T) for the poles of s^2 + 2 zeta w s + w^2.
std::pair<Complex, Complex> MatchedPoles(double f, double zeta, double t) {
    const double w = f * kOmegaPerHz;
    const Complex d = std::sqrt(Complex(zeta * zeta - 1, 0)) * w;
    return {std::exp((-zeta * w + d) * t), std::exp((-zeta * w - d) * t)};
}

void ExpectSameRoots(std::pair<Complex, Complex> got, std::pair<Complex, Complex> want) {
    const bool direct = std::abs(got.first - want.first) < 1e-9;
    if (!direct) std::swap(got.first, got.second);
    EXPECT_NEAR(std::abs(got.first - want.first), 0.0, 1e-9);
    EXPECT_NEAR(std::abs(got.second - want.second), 0.0, 1e-9);
}

double DcGain(const KDFilterCoefficients& c) {
    double a = 0, b = 0;
    for (int i = 0; i <= c.order; ++i) {
        a += c.a[static_cast<std::size_t>(i)];
        b += c.b[static_cast<std::size_t>(i)];
    }
    return a / b;
}

TEST(DigitalFilters, TwoPoleDesignsPlaceThePolesOfTheMatchedContinuousFilter) {
    const struct {
        KDFilterDesign design;
        double f, zeta;
    } cases[] = {
        {KDFilterDesign::Lpf2, 50, 0.3},  {KDFilterDesign::Lpf2, 20, 1.0},
        {KDFilterDesign::Lpf2, 20, 2.5},  {KDFilterDesign::Lpf2a, 80, 0.707},
        {KDFilterDesign::Notch, 60, 0.2}, {KDFilterDesign::Notch, 60, 1.5},
    };
    const double t = 1e-3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.f);
        SCOPED_TRACE(c.zeta);
        const KDFilterCoefficients k = DesignDigitalFilter(c.design, {c.f, c.zeta, 0, 0}, t);
        EXPECT_EQ(k.order, 2);
        EXPECT_EQ(k.b[0], 1.0);
        ExpectSameRoots(Roots(k.b[1], k.b[2]), MatchedPoles(c.f, c.zeta, t));
        EXPECT_NEAR(DcGain(k), 1.0, 1e-9);
    }
}

// The notch's zeros sit on the unit circle at the notch frequency.
TEST(DigitalFilters, NotchZerosSitOnTheUnitCircleAtItsFrequency) {
    const double t = 1e-3, f = 60;
    const KDFilterCoefficients k = DesignDigitalFilter(KDFilterDesign::Notch, {f, 0.2, 0, 0}, t);
    const Complex z = std::polar(1.0, f * kOmegaPerHz * t);
    EXPECT_NEAR(std::abs(k.a[0] * z * z + k.a[1] * z + k.a[2]), 0.0, 1e-12);
}

TEST(DigitalFilters, LeadLagAndBiQuadMatchTheirZerosAndPoles) {
    const double t = 1e-3;
    const KDFilterCoefficients lead =
        DesignDigitalFilter(KDFilterDesign::LeadLag, {10, 40, 0, 0}, t);
    EXPECT_NEAR(-lead.b[1], std::exp(-40 * kOmegaPerHz * t), 1e-12);
    EXPECT_NEAR(-lead.a[1] / lead.a[0], std::exp(-10 * kOmegaPerHz * t), 1e-12);
    EXPECT_NEAR(DcGain(lead), 1.0, 1e-12);

    const KDFilterCoefficients bq =
        DesignDigitalFilter(KDFilterDesign::BiQuad, {30, 0.1, 90, 0.5}, t);
    ExpectSameRoots(Roots(bq.b[1], bq.b[2]), MatchedPoles(90, 0.5, t));
    ExpectSameRoots(Roots(bq.a[1] / bq.a[0], bq.a[2] / bq.a[0]), MatchedPoles(30, 0.1, t));
    EXPECT_NEAR(DcGain(bq), 1.0, 1e-12);
}

// A matched one-pole low-pass samples the continuous step response exactly:
// y_k = 1 - exp(-w k T) for a unit step taken from the first sample.
TEST(DigitalFilters, OnePoleLowPassStepResponseMatchesTheContinuousOne) {
    KTestModel model(1e-3);
    model.Add("KDctl", {{"TSample", 1e-3}});
    KBlock& filter = model.Add("KDLpf1", {{"Frequency", 10.0}, {"Input", 1.0}});
    model.Build();
    for (int samples = 2; samples <= 51; ++samples) {
        ASSERT_TRUE(model.Step());
        const double expected = 1 - std::exp(-10 * kOmegaPerHz * samples * 1e-3);
        EXPECT_NEAR(model.Value(filter, "Output"), expected, 1e-12);
    }
}

// (z + 0.5) / (z^2 - 0.5 z): y0 = u1 + 0.5 u2 + 0.5 y1 on a unit step.
TEST(DigitalFilters, ZFilterRunsItsDifferenceEquation) {
    KTestModel model(0.1);
    model.Add("KDctl", {{"TSample", 0.1}});
    KBlock& filter = model.Add(
        "KZFilter2", {{"Input", 1.0}, {"A2", 0.0}, {"A1", 1.0}, {"A0", 0.5}, {"B1", -0.5}});
    KBenchTop& benchTop = model.Build();
    model.ExpectSteps(filter, "Output", {1.0, 2.0, 2.5, 2.75}, 0.0);
    benchTop.ZeroStoredOutputs();
    EXPECT_EQ(model.Value(filter, "Output"), 0.0);
}

TEST(DigitalFilters, UnusableCoefficientsStopTheRunWithAMessage) {
    const struct {
        double b1, b0;
        const char* why;
    } cases[] = {
        {1.0, -2.0,
         "the filter's output is no longer a finite number; its coefficients make it "
         "unstable"},
        {0.0, 1.0,
         "the filter's leading denominator coefficient is 0, so its output cannot be "
         "computed"},
    };
    for (const auto& c : cases) {
        KTestModel model(1e-3);
        model.Add("KDctl");
        model.Add("KZFilter1", {{"Input", 1.0}, {"B1", c.b1}, {"B0", c.b0}}, "unstable");
        model.Build();
        EXPECT_FALSE(model.RunUntil(5.0));
        model.ExpectOnlyBox("Error", std::string("Run time error:  ") + c.why +
                                         " in KZFilter1 block named \"unstable\"");
    }
}

// Every designed filter, with delays, on two controllers: the batched plan
// runs each controller's filters of one design as one loop over the plan's
// memories. Batched and plain order agree to the bit through a parameter
// change, a TSample change and Zero Stored Outputs.
TEST(DigitalFilters, BatchedDesignedFiltersAgreeWithThePlainOrderToTheBit) {
    const struct {
        const char* tag;
        NodeValues parameters;
    } designs[] = {
        {"KDLpf1", {{"Frequency", 20.0}}},
        {"KDLpf2", {{"Frequency", 15.0}, {"Damping", 0.3}}},
        {"KDLpf2a", {{"Frequency", 25.0}, {"Damping", 0.7}}},
        {"KDNotch", {{"Frequency", 30.0}, {"Damping", 1.5}}},
        {"KDLeadLag", {{"Numerator Frequency", 5.0}, {"Denominator Frequency", 40.0}}},
        {"KDBiQuad",
         {{"Numerator Frequency", 10.0},
          {"Numerator Damping", 0.2},
          {"Denominator Frequency", 12.0},
          {"Denominator Damping", 0.5}}},
    };
    std::vector<double> outputs[2];
    std::size_t gatedKernels[2] = {};
    for (bool batched : {false, true}) {
        KTestModel model(1e-3);
        KBlock& fast = model.Add("KDctl", {{"TSample", 1e-3}}, "fast");
        KBlock& slow = model.Add("KDctl", {{"TSample", 3e-3}}, "slow");
        KBlock& phase = model.Add("KInt", {{"Input", 40.0}});  // 40 t
        KBlock& source = model.Add("KSin");
        model.Wire(phase, "Output", source, "Input");
        std::vector<KBlock*> blocks;
        for (KBlock* controller : {&fast, &slow}) {
            for (const auto& design : designs) {
                KBlock& filter = model.Add(design.tag, design.parameters);
                KBlock& delay = model.Add("KDDelay");
                for (KBlock* block : {&filter, &delay})
                    KTestModel::Set(*block, "Controller", controller->IDNumber());
                model.Wire(source, "Output", filter, "Input");
                model.Wire(filter, "Output", delay, "Input");
                blocks.push_back(&filter);
                blocks.push_back(&delay);
            }
        }
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        auto take = [&] {
            for (KBlock* block : blocks) outputs[batched].push_back(model.Value(*block, "Output"));
        };
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.1));
        take();
        *model.Slot(*blocks[0], "Frequency") = 35.0;
        *model.Slot(slow, "TSample") = 2e-3;
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.2));
        take();
        benchTop.ZeroStoredOutputs();
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.25));
        take();
        gatedKernels[batched] = benchTop.Plan().GatedKernelCount();
    }
    EXPECT_EQ(gatedKernels[1], 24u);
    ASSERT_EQ(outputs[0].size(), outputs[1].size());
    EXPECT_NE(outputs[1][0], 0.0);
    EXPECT_EQ(outputs[0], outputs[1]);
}

// A filter that fails inside a batch is named, not its neighbours.
TEST(DigitalFilters, AFailingFilterInABatchIsNamed) {
    for (bool batched : {false, true}) {
        KTestModel model(1e-3);
        model.Add("KDctl");
        for (const char* name : {"first", "broken", "last"}) {
            KBlock& filter = model.Add("KDLpf1", {{"Input", 1.0}}, name);
            KTestModel::Set(filter, "Frequency",
                            name == std::string("broken") ? std::nan("") : 10.0);
        }
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        EXPECT_FALSE(benchTop.Solver()->RunUntil(1.0));
        model.ExpectOnlyBox(
            "Error",
            "Run time error:  the filter's output is no longer a finite number; its "
            "coefficients make it unstable in KDLpf1 block named \"broken\"");
    }
}

}  // namespace
}  // namespace korvel::test
