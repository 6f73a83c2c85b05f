// Digital controller and digital blocks against hand-computed difference
// equation sequences at the sample instants.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/digitalblock.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

// A model with a solver of step h, one controller of period tSample and a
// ramp (an integrator of 1, so its output equals the time exactly at every
// step end) to feed the digital blocks.
struct DigitalModel : KTestModel {
    DigitalModel(double h, double tSample) : KTestModel(h) {
        controller = &Add("KDctl", {{"TSample", tSample}}, "Fast");
        ramp = &Add("KInt", {{"Input", 1.0}}, "ramp");
    }
    KBlock& AddFedByRamp(std::string_view tag) {
        KBlock& block = Add(tag);
        Wire(*ramp, "Output", block, "Input");
        return block;
    }
    KBlock* controller = nullptr;
    KBlock* ramp = nullptr;
};

// A sampled ramp holds the last sample instant at or before t. A period that
// is not a multiple of h is raised to the next multiple.
TEST(Digital, SampleAndHoldTakesTheFirstSampleAtTimeZeroAndHoldsBetweenSamples) {
    DigitalModel m(0.01, 0.05);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    m.Build();
    m.ExpectSteps(hold, "Output",
                  {0.0, 0.0, 0.0, 0.0, 0.05, 0.05, 0.05, 0.05, 0.05, 0.10, 0.10, 0.10, 0.10, 0.10});
    DigitalModel between(0.01, 0.015);
    KBlock& held = between.AddFedByRamp("KDSampleHold");
    between.Build();
    between.ExpectSteps(held, "Output", {0.0, 0.02, 0.02, 0.04, 0.04, 0.06});
}

// With a period below h / 2 the first step's middle stages must not sample:
// they evaluate predictors, not points of the solution.
TEST(Digital, TheFirstStepSamplesOnlyAtItsStartAndEnd) {
    DigitalModel m(0.1, 0.01);
    KBlock& sum = m.Add("KDSum", {{"Input", 1.0}});
    m.Build();
    m.ExpectSteps(sum, "Output", {0.02}, 1e-15);  // two samples of 0.01 x 1
}

TEST(Digital, TwoControllersSampleAtTheirOwnRates) {
    DigitalModel m(0.01, 0.02);
    KBlock& slow = m.Add("KDctl", {{"TSample", 0.05}}, "Slow");
    KBlock& fast = KTestModel::Set(m.AddFedByRamp("KDSampleHold"),
                                   {{"Controller", double(m.controller->IDNumber())}});
    KBlock& slowHold =
        KTestModel::Set(m.AddFedByRamp("KDSampleHold"), {{"Controller", double(slow.IDNumber())}});
    m.Build();
    ASSERT_TRUE(m.RunUntil(0.0699));
    EXPECT_NEAR(m.Value(fast, "Output"), 0.06, 1e-12);
    EXPECT_NEAR(m.Value(slowHold, "Output"), 0.05, 1e-12);
    EXPECT_TRUE(m.benchTop->CompileMessages().empty());
}

// The delay lags by one sample; the calculation delay of 50 % releases the
// held input half a period after its sample.
TEST(Digital, DelaysReleaseTheirSampleLater) {
    DigitalModel m(0.01, 0.1);
    KBlock& delay = m.AddFedByRamp("KDDelay");
    KBlock& calc = KTestModel::Set(m.AddFedByRamp("KDTCalc"), {{"Delay", 50.0}});
    m.Build();
    const double kExpected[][3] = {
        {0.0999, 0, 0}, {0.1399, 0, 0}, {0.1599, 0, 0.1}, {0.1999, 0.1, 0.1}, {0.2999, 0.2, 0.2}};
    for (const auto& [t, delayed, calculated] : kExpected) {
        ASSERT_TRUE(m.RunUntil(t));
        EXPECT_NEAR(m.Value(delay, "Output"), delayed, 1e-12) << t;
        EXPECT_NEAR(m.Value(calc, "Output"), calculated, 1e-12) << t;
    }
}

// Output += T x Input from "Initial Value"; one sample at 0, then one per step.
TEST(Digital, SumAccumulatesTSampleTimesInput) {
    DigitalModel m(0.1, 0.1);
    KBlock& sum = m.Add("KDSum", {{"Input", 3.0}, {"Initial Value", 2.0}});
    m.Build();
    EXPECT_EQ(m.Value(sum, "Output"), 2.0);
    m.ExpectSteps(sum, "Output", {2.6, 2.9, 3.2, 3.5});
    m.benchTop->ZeroStoredOutputs();
    EXPECT_EQ(m.Value(sum, "Output"), 0.0);
}

// e = t sampled every 0.1: y = e + KD (e - e_prev) / T = 0.1 k + 0.5.
TEST(Digital, PidDerivativeOfARamp) {
    DigitalModel m(0.1, 0.1);
    KBlock& pid = KTestModel::Set(m.AddFedByRamp("KDPid"), {{"KD", 0.5}});
    m.Build();
    m.ExpectSteps(pid, "Output", {0.6, 0.7, 0.8});
}

// KP 2, KI 10, T 0.1, Saturation 10, Wind-up 2: I grows by 1 a sample and
// y = 2 (e + I). Past y = 20 the integral is pulled back to 20 / 2 - e = 9,
// so after the error turns to -1 the output leaves saturation after three
// samples (I = 8, 7, 6, 5 gives 14, 12, 10, 8) instead of seven.
TEST(Digital, PiAntiWindupPullsTheIntegralBack) {
    DigitalModel m(0.1, 0.1);
    KBlock& pi = m.Add("KDPi", {{"Input", 1.0}, {"KP", 2.0}, {"KI", 10.0}});
    m.Build();
    m.ExpectSteps(pi, "Output", {6, 8, 10, 10, 10, 10, 10, 10, 10, 10});
    *m.Slot(pi, "Input") = -1.0;
    m.ExpectSteps(pi, "Output", {10.0, 10.0, 10.0, 8.0});
}

// The Clegg integrator empties the integral at each sign change of the error.
// The first sample (I = 1) sees the error rise from 0 to 1, a sign change, so
// the integral restarts; the second gives I = 1 again. After the turn to -1:
// 2 - 1, then reset.
TEST(Digital, Pid2CleggIntegratorResetsAtZeroCrossings) {
    DigitalModel m(0.1, 0.1);
    KBlock& pid =
        m.Add("KDPid2", {{"KP", 0.0}, {"KI", 10.0}, {"Clegg Integrator", 1.0}, {"Input", 1.0}});
    m.Build();
    m.ExpectSteps(pid, "Output", {1.0, 2.0});
    *m.Slot(pid, "Input") = -1.0;
    m.ExpectSteps(pid, "Output", {1.0, -1.0});
}

// Samples 1 and 2 come from the first step.
TEST(Digital, DitherWithTwoCyclesAlternatesEveryTwoSamples) {
    DigitalModel m(0.1, 0.1);
    KBlock& dither = m.Add("KDDither", {{"Cycles", 2.0}, {"Amplitude", 3.0}});
    m.Build();
    m.ExpectSteps(dither, "Output", {-3, -3, 3, 3, -3, -3}, 0.0);
}

// Binary fractions keep every sum exact.
TEST(Digital, ChangingTSampleRestartsThePeriodFromTheChange) {
    DigitalModel m(0.25, 0.5);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    m.Build();
    ASSERT_TRUE(m.RunUntil(1.2));  // samples at 0, 0.5 and 1
    EXPECT_EQ(m.Value(hold, "Output"), 1.0);
    *m.Slot(*m.controller, "TSample") = 0.75;  // seen at 1.25: next at 2
    ASSERT_TRUE(m.RunUntil(1.7));
    EXPECT_EQ(m.Value(hold, "Output"), 1.0);
    m.ExpectSteps(hold, "Output", {2.0}, 0.0);
}

TEST(Digital, AnUnusableTSampleStopsTheRunWithAMessage) {
    for (const auto& [tSample, shown] :
         {std::pair{0.0, "0"}, {-0.001, "-0.001"}, {std::nan(""), "nan"}}) {
        SCOPED_TRACE(shown);
        DigitalModel m(0.01, tSample);
        m.AddFedByRamp("KDSampleHold");
        m.Build();
        EXPECT_FALSE(m.RunUntil(0.1));
        m.ExpectOnlyBox("Error", std::string("Run time error:  node \"TSample\" is ") + shown +
                                     "; it must be a finite number of seconds greater than 0 in "
                                     "KDctl block named \"Fast\"");
        EXPECT_EQ(m.benchTop->time, 0.0);
    }
}

TEST(Digital, ABlockWithoutItsControllerIsACompileErrorAndNeverSamples) {
    DigitalModel m(0.01, 0.05);
    KBlock& hold = KTestModel::Set(m.AddFedByRamp("KDSampleHold"), {{"Controller", 999.0}});
    KTestModel::Set(m.AddFedByRamp("KDSum"), {{"Controller", 999.0}});
    KBenchTop& benchTop = m.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 2u);
    EXPECT_EQ(benchTop.CompileMessages()[0].code, 31);
    EXPECT_EQ(benchTop.CompileMessages()[1].code, 32);
    EXPECT_FALSE(benchTop.CompileMessages()[0].warning);
    EXPECT_EQ(benchTop.CompileMessages()[0].text, "Null value in internal variable, LibraryDctl.");
    ASSERT_TRUE(m.RunUntil(0.2));
    EXPECT_EQ(m.Value(hold, "Output"), 0.0);
}

// Control loops on two controllers, each a PID or PI closing a loop round a
// continuous lag, and a loop through a delay, whose output the controller
// writes before anything else in the evaluation: the batched plan runs each
// controller's control laws as one loop over the plan's memories, the plain
// order calls each block. The two must agree to the bit, through saturation
// and anti-windup, and Zero Stored Outputs must reach the memories the plan
// holds.
TEST(Digital, BatchedControlLawsAgreeWithThePlainOrderToTheBit) {
    std::vector<double> outputs[2];
    std::size_t gatedKernels[2] = {};
    for (bool batched : {false, true}) {
        DigitalModel m(0.001, 0.002);
        KBlock& slow = m.Add("KDctl", {{"TSample", 0.005}}, "Slow");
        std::vector<KBlock*> watched;
        for (int i = 0; i < 6; ++i) {
            KBlock& sub = m.Add("KSub", {{"Input1", 1.0 + i}});
            KBlock& law = m.Add(i % 3 == 2 ? "KDPi" : "KDPid",
                                {{"KP", 3.0 + i}, {"KI", 40.0}, {"Saturation", 4.0}});
            if (i % 3 != 2) KTestModel::Set(law, "KD", 0.01 * i);
            KTestModel::Set(law, "Controller", (i < 3 ? *m.controller : slow).IDNumber());
            KBlock& lag = m.Add("KLpf1", {{"Frequency", 5.0}});
            m.Wire(lag, "Output", sub, "Input2");
            m.Wire(sub, "Output", law, "Input");
            m.Wire(law, "Output", lag, "Input");
            watched.push_back(&law);
        }
        KBlock& sub = m.Add("KSub");
        KBlock& delay = m.Add("KDDelay");
        KBlock& gain = m.Add("KScale", {{"Scale by", 5.0}});
        m.Wire(*m.ramp, "Output", sub, "Input1");
        m.Wire(delay, "Output", sub, "Input2");
        m.Wire(sub, "Output", gain, "Input");
        m.Wire(gain, "Output", delay, "Input");
        watched.push_back(&sub);
        KBenchTop& benchTop = m.Build();
        benchTop.SetBatchedEvaluation(batched);
        ASSERT_TRUE(m.RunUntil(0.3));
        gatedKernels[batched] = benchTop.Plan().GatedKernelCount();
        for (KBlock* block : watched) outputs[batched].push_back(m.Value(*block, "Output"));
        benchTop.ZeroStoredOutputs();
        ASSERT_TRUE(m.RunUntil(0.6));
        for (KBlock* block : watched) outputs[batched].push_back(m.Value(*block, "Output"));
    }
    EXPECT_EQ(gatedKernels[1], 6u);  // the six laws
    EXPECT_EQ(outputs[0], outputs[1]);
}

}  // namespace
}  // namespace korvel::test
