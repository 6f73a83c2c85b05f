// Digital controller and digital blocks against hand-computed difference
// equation sequences at the sample instants.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/digitalblock.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

// A model with a solver of step h, one controller of period tSample and a
// ramp (an integrator of 1, so its output equals the time exactly at every
// step end) to feed the digital blocks.
struct DigitalModel {
    explicit DigitalModel(double h, double tSample) {
        model.AddSolver(h);
        controller = &model.Add("KDctl", "Fast");
        KTestModel::Set(*controller, "TSample", tSample);
        ramp = &model.Add("KInt", "ramp");
        KTestModel::Set(*ramp, "Input", 1.0);
    }
    KBlock& AddFedByRamp(std::string_view tag) {
        KBlock& block = model.Add(tag);
        model.Wire(*ramp, "Output", block, "Input");
        return block;
    }
    KTestModel model;
    KBlock* controller = nullptr;
    KBlock* ramp = nullptr;
};

// The value a sampled ramp holds at time t for samples every `period`
// (rounded to whole steps): the last sample instant at or before t.
TEST(Digital, SampleAndHoldTakesTheFirstSampleAtTimeZeroAndHoldsBetweenSamples) {
    DigitalModel m(0.01, 0.05);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    KBenchTop& benchTop = m.model.Build();
    const double expected[] = {0.0,  0.0,  0.0,  0.0,  0.05, 0.05, 0.05,
                               0.05, 0.05, 0.10, 0.10, 0.10, 0.10, 0.10};
    for (double value : expected) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        SCOPED_TRACE(benchTop.time);
        EXPECT_NEAR(m.model.Value(hold, "Output"), value, 1e-12);
    }
}

// A period that is not a multiple of h is raised to the next multiple.
TEST(Digital, APeriodBetweenStepsSamplesAtTheNextStepEnd) {
    DigitalModel m(0.01, 0.015);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    KBenchTop& benchTop = m.model.Build();
    const double expected[] = {0.0, 0.02, 0.02, 0.04, 0.04, 0.06};
    for (double value : expected) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_NEAR(m.model.Value(hold, "Output"), value, 1e-12);
    }
}

// With a period below h / 2 the first step's middle stages must not sample:
// they evaluate predictors, not points of the solution.
TEST(Digital, TheFirstStepSamplesOnlyAtItsStartAndEnd) {
    DigitalModel m(0.1, 0.01);
    KBlock& sum = m.model.Add("KDSum", {{"Input", 1.0}});
    KBenchTop& benchTop = m.model.Build();
    ASSERT_TRUE(benchTop.Solver()->Step(0.0));
    EXPECT_NEAR(m.model.Value(sum, "Output"), 0.02, 1e-15);  // two samples of 0.01 x 1
}

TEST(Digital, TwoControllersSampleAtTheirOwnRates) {
    DigitalModel m(0.01, 0.02);
    KBlock& slow = m.model.Add("KDctl", {{"TSample", 0.05}}, "Slow");
    KBlock& fast = m.AddFedByRamp("KDSampleHold");
    KTestModel::Set(fast, "Controller", m.controller->IDNumber());
    KBlock& slowHold = m.AddFedByRamp("KDSampleHold");
    KTestModel::Set(slowHold, "Controller", slow.IDNumber());
    KBenchTop& benchTop = m.model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.0699));
    EXPECT_NEAR(m.model.Value(fast, "Output"), 0.06, 1e-12);
    EXPECT_NEAR(m.model.Value(slowHold, "Output"), 0.05, 1e-12);
    EXPECT_TRUE(benchTop.CompileMessages().empty());
}

TEST(Digital, DelayLagsByOneSample) {
    DigitalModel m(0.01, 0.1);
    KBlock& delay = m.AddFedByRamp("KDDelay");
    KBenchTop& benchTop = m.model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.0999));
    EXPECT_EQ(m.model.Value(delay, "Output"), 0.0);
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.1999));
    EXPECT_NEAR(m.model.Value(delay, "Output"), 0.1, 1e-12);
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.2999));
    EXPECT_NEAR(m.model.Value(delay, "Output"), 0.2, 1e-12);
}

// Output += T x Input from "Initial Value"; one sample at 0, then one per step.
TEST(Digital, SumAccumulatesTSampleTimesInput) {
    DigitalModel m(0.1, 0.1);
    KBlock& sum = m.model.Add("KDSum", {{"Input", 3.0}, {"Initial Value", 2.0}});
    KBenchTop& benchTop = m.model.Build();
    EXPECT_EQ(m.model.Value(sum, "Output"), 2.0);
    for (int step = 1; step <= 4; ++step) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_NEAR(m.model.Value(sum, "Output"), 2.0 + 0.3 * (step + 1), 1e-12);
    }
    benchTop.ZeroStoredOutputs();
    EXPECT_EQ(m.model.Value(sum, "Output"), 0.0);
}

// e = t sampled every 0.1: y = e + KD (e - e_prev) / T = 0.1 k + 0.5.
TEST(Digital, PidDerivativeOfARamp) {
    DigitalModel m(0.1, 0.1);
    KBlock& pid = m.AddFedByRamp("KDPid");
    KTestModel::Set(pid, "KD", 0.5);
    KBenchTop& benchTop = m.model.Build();
    for (int k = 1; k <= 3; ++k) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_NEAR(m.model.Value(pid, "Output"), 0.1 * k + 0.5, 1e-12);
    }
}

// KP 2, KI 10, T 0.1, Saturation 10, Wind-up 2: I grows by 1 a sample and
// y = 2 (e + I). Past y = 20 the integral is pulled back to 20 / 2 - e = 9,
// so after the error turns to -1 the output leaves saturation after three
// samples (I = 8, 7, 6, 5 gives 14, 12, 10, 8) instead of seven.
TEST(Digital, PiAntiWindupPullsTheIntegralBack) {
    DigitalModel m(0.1, 0.1);
    KBlock& pi = m.model.Add("KDPi", {{"Input", 1.0}, {"KP", 2.0}, {"KI", 10.0}});
    KBenchTop& benchTop = m.model.Build();
    const double rising[] = {6, 8, 10, 10, 10, 10, 10, 10, 10, 10};
    for (double value : rising) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_NEAR(m.model.Value(pi, "Output"), value, 1e-12);
    }
    *m.model.Slot(pi, "Input") = -1.0;
    for (double value : {10.0, 10.0, 10.0, 8.0}) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_NEAR(m.model.Value(pi, "Output"), value, 1e-12);
    }
}

// The Clegg integrator empties the integral at each sign change of the error.
TEST(Digital, Pid2CleggIntegratorResetsAtZeroCrossings) {
    DigitalModel m(0.1, 0.1);
    KBlock& pid = m.model.Add(
        "KDPid2", {{"KP", 0.0}, {"KI", 10.0}, {"Clegg Integrator", 1.0}, {"Input", 1.0}});
    KBenchTop& benchTop = m.model.Build();
    // The first sample (I = 1) sees the error rise from 0 to 1, a sign
    // change, so the integral restarts; the second gives I = 1 again.
    ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
    EXPECT_NEAR(m.model.Value(pid, "Output"), 1.0, 1e-12);
    ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
    EXPECT_NEAR(m.model.Value(pid, "Output"), 2.0, 1e-12);
    *m.model.Slot(pid, "Input") = -1.0;
    ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
    EXPECT_NEAR(m.model.Value(pid, "Output"), 1.0, 1e-12);  // 2 - 1, then reset
    ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
    EXPECT_NEAR(m.model.Value(pid, "Output"), -1.0, 1e-12);
}

TEST(Digital, DitherWithTwoCyclesAlternatesEveryTwoSamples) {
    DigitalModel m(0.1, 0.1);
    KBlock& dither = m.model.Add("KDDither", {{"Cycles", 2.0}, {"Amplitude", 3.0}});
    KBenchTop& benchTop = m.model.Build();
    // Samples 1 and 2 come from the first step.
    const double expected[] = {-3, -3, 3, 3, -3, -3};
    for (double value : expected) {
        ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
        EXPECT_EQ(m.model.Value(dither, "Output"), value);
    }
}

// Delay 50 %: the held input appears half a period after its sample.
TEST(Digital, CalculationDelayReleasesAfterItsDelay) {
    DigitalModel m(0.01, 0.1);
    KBlock& calc = m.AddFedByRamp("KDTCalc");
    KTestModel::Set(calc, "Delay", 50.0);
    KBenchTop& benchTop = m.model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.1399));  // sampled 0.1 at 0.1
    EXPECT_NEAR(m.model.Value(calc, "Output"), 0.0, 1e-12);
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.1599));
    EXPECT_NEAR(m.model.Value(calc, "Output"), 0.1, 1e-12);
}

TEST(Digital, ChangingTSampleRestartsThePeriodFromTheChange) {
    // Binary fractions keep every sum exact.
    DigitalModel m(0.25, 0.5);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    KBenchTop& benchTop = m.model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(1.2));  // samples at 0, 0.5 and 1
    EXPECT_EQ(m.model.Value(hold, "Output"), 1.0);
    *m.model.Slot(*m.controller, "TSample") = 0.75;  // seen at 1.25: next at 2
    ASSERT_TRUE(benchTop.Solver()->RunUntil(1.7));
    EXPECT_EQ(m.model.Value(hold, "Output"), 1.0);
    ASSERT_TRUE(benchTop.Solver()->Step(benchTop.time));
    EXPECT_EQ(m.model.Value(hold, "Output"), 2.0);
}

TEST(Digital, AnUnusableTSampleStopsTheRunWithAMessage) {
    const struct {
        double tSample;
        const char* shown;
    } cases[] = {{0.0, "0"}, {-0.001, "-0.001"}, {std::nan(""), "nan"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        DigitalModel m(0.01, c.tSample);
        m.AddFedByRamp("KDSampleHold");
        KBenchTop& benchTop = m.model.Build();
        EXPECT_FALSE(benchTop.Solver()->RunUntil(0.1));
        ASSERT_EQ(m.model.messages.boxes.size(), 1u);
        EXPECT_EQ(m.model.messages.Last().caption, "Error");
        EXPECT_EQ(m.model.messages.Last().text,
                  std::string("Run time error:  node \"TSample\" is ") + c.shown +
                      "; it must be a finite number of seconds greater than 0 in KDctl block "
                      "named \"Fast\"");
        EXPECT_EQ(benchTop.time, 0.0);
    }
}

TEST(Digital, ABlockWithoutItsControllerIsACompileErrorAndNeverSamples) {
    DigitalModel m(0.01, 0.05);
    KBlock& hold = m.AddFedByRamp("KDSampleHold");
    KTestModel::Set(hold, "Controller", 999.0);
    KBlock& sum = m.AddFedByRamp("KDSum");
    KTestModel::Set(sum, "Controller", 999.0);
    KBenchTop& benchTop = m.model.Build();
    ASSERT_EQ(benchTop.CompileMessages().size(), 2u);
    EXPECT_EQ(benchTop.CompileMessages()[0].code, 31);
    EXPECT_EQ(benchTop.CompileMessages()[1].code, 32);
    EXPECT_FALSE(benchTop.CompileMessages()[0].warning);
    EXPECT_EQ(benchTop.CompileMessages()[0].text, "Null value in internal variable, LibraryDctl.");
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.2));
    EXPECT_EQ(m.model.Value(hold, "Output"), 0.0);
}

// Batched and plain evaluation agree on a loop through a delay, whose output
// the controller writes before anything else in the evaluation.
TEST(Digital, BatchedAndPlainEvaluationAgree) {
    double results[2];
    for (bool batched : {false, true}) {
        DigitalModel m(0.01, 0.03);
        KBlock& sub = m.model.Add("KSub");
        KBlock& delay = m.model.Add("KDDelay");
        KBlock& gain = m.model.Add("KScale", {{"Scale by", 5.0}});
        m.model.Wire(*m.ramp, "Output", sub, "Input1");
        m.model.Wire(delay, "Output", sub, "Input2");
        m.model.Wire(sub, "Output", gain, "Input");
        m.model.Wire(gain, "Output", delay, "Input");
        KBenchTop& benchTop = m.model.Build();
        benchTop.SetBatchedEvaluation(batched);
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.5));
        results[batched] = m.model.Value(sub, "Output");
    }
    EXPECT_EQ(results[0], results[1]);
}

// Control loops on two controllers, each a PID or PI closing a loop round a
// continuous lag: the batched plan runs each controller's control laws as
// one loop over the plan's memories, the plain order calls each block. The
// two must agree to the bit, through saturation and anti-windup, and Zero
// Stored Outputs must reach the memories the plan holds.
TEST(Digital, BatchedControlLawsAgreeWithThePlainOrderToTheBit) {
    struct Run {
        std::vector<double> outputs;
        std::size_t gatedKernels = 0;
    };
    Run runs[2];
    for (bool batched : {false, true}) {
        DigitalModel m(0.001, 0.002);
        KBlock& slow = m.model.Add("KDctl", {{"TSample", 0.005}}, "Slow");
        std::vector<KBlock*> laws;
        for (int i = 0; i < 6; ++i) {
            KBlock& sub = m.model.Add("KSub");
            KBlock& law = m.model.Add(i % 3 == 2 ? "KDPi" : "KDPid");
            KBlock& lag = m.model.Add("KLpf1");
            KTestModel::Set(sub, "Input1", 1.0 + i);
            KTestModel::Set(law, "KP", 3.0 + i);
            KTestModel::Set(law, "KI", 40.0);
            if (i % 3 != 2) KTestModel::Set(law, "KD", 0.01 * i);
            KTestModel::Set(law, "Saturation", 4.0);
            KTestModel::Set(law, "Controller", (i < 3 ? *m.controller : slow).IDNumber());
            KTestModel::Set(lag, "Frequency", 5.0);
            m.model.Wire(lag, "Output", sub, "Input2");
            m.model.Wire(sub, "Output", law, "Input");
            m.model.Wire(law, "Output", lag, "Input");
            laws.push_back(&law);
        }
        KBenchTop& benchTop = m.model.Build();
        benchTop.SetBatchedEvaluation(batched);
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.3));
        runs[batched].gatedKernels = benchTop.Plan().GatedKernelCount();
        for (KBlock* law : laws) runs[batched].outputs.push_back(m.model.Value(*law, "Output"));
        benchTop.ZeroStoredOutputs();
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.6));
        for (KBlock* law : laws) runs[batched].outputs.push_back(m.model.Value(*law, "Output"));
    }
    EXPECT_EQ(runs[1].gatedKernels, 6u);
    ASSERT_EQ(runs[0].outputs.size(), runs[1].outputs.size());
    for (std::size_t i = 0; i < runs[0].outputs.size(); ++i) {
        EXPECT_EQ(runs[0].outputs[i], runs[1].outputs[i]) << "output " << i;
    }
}

}  // namespace
}  // namespace korvel::test
