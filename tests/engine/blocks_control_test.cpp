// The analog PI, PI+ and PID laws: open-loop responses in closed form, the
// anti-windup rule, and restarting from a stored output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "testmodel.h"

namespace korvel::test {
namespace {

struct Law {
    KTestModel model;
    KBlock* block = nullptr;
    KBenchTop* benchTop = nullptr;

    Law(const char* tag, NodeValues values, double h = 1e-3, double stored = 0.0) {
        model.AddSolver(h);
        block = &model.Add(tag);
        for (const auto& [node, value] : values) KTestModel::Set(*block, node, value);
        block->FindNode("Output")->value = stored;
        benchTop = &model.Build();
    }
    // The output after running to t, evaluated with the states reached.
    double OutputAt(double t, const char* node = "Output") {
        EXPECT_TRUE(benchTop->Solver()->RunUntil(t - 1e-9));
        EXPECT_TRUE(benchTop->ComputeAll(benchTop->time));
        return model.Value(*block, node);
    }
    double State(int i) const { return benchTop->Solver()->States()[i]; }
};

TEST(ControlBlocks, PiWithoutIntegralIsALimitedGain) {
    struct Case {
        double e;
        double expected;
    };
    for (const Case& c : {Case{3, 6}, Case{-4, -8}, Case{8, 10}, Case{-30, -10}}) {
        Law pi("KPi", {{"Input", c.e}, {"KP", 2}, {"KI", 0}});
        EXPECT_EQ(pi.OutputAt(0.5), c.expected) << c.e;
        EXPECT_EQ(pi.State(0), 0.0);
    }
}

TEST(ControlBlocks, PiRampsThenHoldsTheIntegratorAtTheWindupLevel) {
    // y = KP (e + KI e t) = 2 (1 + 3 t), exact for RK4, until it passes L = 20.
    Law pi("KPi", {{"KP", 2}, {"KI", 3}});
    *pi.model.Slot(*pi.block, "Input") = 1.0;  // the error steps after the build
    EXPECT_NEAR(pi.OutputAt(1.0), 8.0, 1e-12);
    EXPECT_NEAR(pi.OutputAt(2.5), 10.0, 1e-12);  // 17, limited to S = 10
    EXPECT_EQ(pi.OutputAt(4.0), 10.0);
    EXPECT_NEAR(pi.State(0), 20.0 / 2 - 1, 1e-12);  // held where KP (e + x) = L
}

TEST(ControlBlocks, PiLargeErrorHoldsEPlusXAtTwenty) {
    Law pi("KPi", {{"Input", 50}, {"KP", 1}, {"KI", 100}, {"Saturation", 10}, {"Wind-up", 2}});
    EXPECT_EQ(pi.OutputAt(0.1), 10.0);
    EXPECT_NEAR(50 + pi.State(0), 20.0, 1e-12);
}

TEST(ControlBlocks, PiPlusWeightsTheCommandAndMonitorsTheError) {
    // y = KP (c KFR + KI (c - f) t - f) = 2 (0.5 + 0.75 t - 0.25).
    Law pi("KPiPlus", {{"KP", 2}, {"KI", 1}, {"KFR", 0.5}});
    *pi.model.Slot(*pi.block, "Command") = 1.0;
    *pi.model.Slot(*pi.block, "Feedback") = 0.25;
    EXPECT_NEAR(pi.OutputAt(2.0), 2 * (0.5 + 1.5 - 0.25), 1e-12);
    EXPECT_EQ(pi.model.Value(*pi.block, "Error Monitor"), 0.75);
    // Wound up: held where KP (c KFR + x - f) = L = 20.
    EXPECT_EQ(pi.OutputAt(20.0), 10.0);
    EXPECT_NEAR(2 * (0.5 + pi.State(0) - 0.25), 20.0, 1e-12);
}

// A unit error step into a PID: y = KP (KI t + 1 + KD wLP exp(-wLP t)), the
// derivative filtered by the low-pass at "Low-Pass Frequency".
TEST(ControlBlocks, PidStepResponse) {
    Law pid("KPid",
            {{"KP", 2}, {"KI", 3}, {"KD", 0.01}, {"Low-Pass Frequency", 20}, {"Saturation", 100}},
            1e-5);
    *pid.model.Slot(*pid.block, "Input") = 1.0;  // the error steps after the build
    const double w = 20 * 6.2831852;
    for (double t : {0.001, 0.01, 0.05}) {
        SCOPED_TRACE(t);
        EXPECT_NEAR(pid.OutputAt(t), 2 * (3 * t + 1 + 0.01 * w * std::exp(-w * t)), 1e-9);
    }
}

// Issue 16: the stored output restarts as the stored output, not as
// KP (e + y0), and the PID's derivative does not kick.
TEST(ControlBlocks, AStoredOutputCarriesOver) {
    struct Case {
        const char* tag;
        NodeValues values;
        double stored;
    };
    const Case kCases[] = {
        {"KPi", {{"Input", 0.5}, {"KP", 2}, {"KI", 1}}, 4},
        {"KPiPlus", {{"Command", 1}, {"Feedback", 0.25}, {"KP", 2}, {"KI", 1}, {"KFR", 0.5}}, 3},
        {"KPid", {{"Input", 0.5}, {"KP", 2}, {"KI", 1}, {"KD", 1}}, 4},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.tag);
        Law law(c.tag, c.values, 1e-3, c.stored);
        ASSERT_TRUE(law.benchTop->ComputeAll(0.0));
        EXPECT_DOUBLE_EQ(law.model.Value(*law.block, "Output"), c.stored);
    }
    // Without an integral the integrator stays at 0, whatever was stored.
    Law proportional("KPi", {{"Input", 0.5}, {"KP", 2}, {"KI", 0}}, 1e-3, 4);
    EXPECT_EQ(proportional.State(0), 0.0);
    EXPECT_EQ(proportional.OutputAt(0.01), 1.0);
}

// The laws and the lead-lag and two-pole filters run as kernels in batched evaluation and as
// objects in plain evaluation; both must give the same bits, wind-up resets
// included.
TEST(ControlBlocks, BatchedAndPlainEvaluationAgreeToTheBit) {
    std::vector<double> results[2];
    for (bool batched : {false, true}) {
        KTestModel model(1e-3);
        KBlock& time = model.Add("KTime");
        KBlock& omega = model.Add("KScale", {{"Scale by", 6}});
        KBlock& square = model.Add("KSquareWave");
        KBlock& amplitude = model.Add("KScale", {{"Scale by", 20}});
        model.Chain({&time, &omega, &square, &amplitude});
        const std::pair<const char*, const char*> kLoops[] = {
            {"KPi", "KLpf2"}, {"KPid", "KLpf2a"}, {"KPiPlus", "KNotch"}, {"KPi", "KBiQuad"}};
        for (const auto& [lawTag, plantTag] : kLoops) {
            KBlock& sub = model.Add("KSub");
            KBlock& law =
                model.Add(lawTag, {{"KP", 2}, {"KI", 50}, {"Saturation", 5}, {"Wind-up", 1.2}});
            KBlock& plant = std::string(plantTag) == "KBiQuad"
                                ? model.Add(plantTag, {{"Numerator Frequency", 5},
                                                       {"Denominator Frequency", 3}})
                                : model.Add(plantTag, {{"Frequency", 3}});
            model.Wire(amplitude, "Output", sub, "Input1");
            model.Wire(plant, "Output", sub, "Input2");
            if (std::string(lawTag) == "KPiPlus") {
                model.Wire(amplitude, "Output", law, "Command");
                model.Wire(plant, "Output", law, "Feedback");
            } else {
                model.Wire(sub, "Output", law, "Input");
            }
            model.Wire(law, "Output", plant, "Input");
        }
        KBlock& leadLag =
            model.Add("KLeadLag", {{"Numerator Frequency", 2}, {"Denominator Frequency", 10}});
        model.Chain({&amplitude, &leadLag});
        KBenchTop& benchTop = model.Build();
        benchTop.SetBatchedEvaluation(batched);
        ASSERT_TRUE(model.RunUntil(2.0));
        results[batched].assign(model.Solver().States(),
                                model.Solver().States() + model.Solver().Count());
    }
    ASSERT_EQ(results[0].size(), 14u);
    EXPECT_EQ(std::memcmp(results[0].data(), results[1].data(), 14 * sizeof(double)), 0);
}

}  // namespace
}  // namespace korvel::test
