// The Runge-Kutta solver: order of accuracy against analytic solutions,
// resets, the "Time Increment" limit, and the mended failure paths.
#include "engine/solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/variables.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

// x' = -x, x(0) = 1: an integrator fed back through Minus x, which the compile
// orders first (its input is a state output, the integrator's is not).
struct Decay {
    KTestModel model;

    explicit Decay(double h, bool batched = true) : model(h) {
        KBlock& minus = model.Add("KMinusX");
        KBlock& integrator = model.Add("KInt", {{"Initial Value", 1.0}});
        model.Wire(integrator, "Output", minus, "Input");
        model.Wire(minus, "Output", integrator, "Input");
        model.Build().SetBatchedEvaluation(batched);
    }
    double X() { return model.Solver().States()[0]; }
};

double DecayError(double h, bool batched) {
    Decay decay(h, batched);
    EXPECT_TRUE(decay.model.RunUntil(1.0 - h / 2));
    return std::fabs(decay.X() - std::exp(-decay.model.benchTop->time));
}

TEST(Solver, DecayIsFourthOrder) {
    for (bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "batched" : "plain");
        const double e1 = DecayError(0.1, batched);
        const double e2 = DecayError(0.05, batched);
        const double e3 = DecayError(0.025, batched);
        EXPECT_LT(e1, 1e-6);
        EXPECT_NEAR(e1 / e2, 16.0, 1.5);
        EXPECT_NEAR(e2 / e3, 16.0, 1.5);
    }
}

// x'' = -x as two integrators: v' = -x, x' = v. The Minus x block is ordered
// before the integrator it reads, so it sees a current state only because
// state outputs are brought up to date before every evaluation.
TEST(Solver, OscillatorFollowsCosineAndSineOverTenSeconds) {
    KTestModel model(1e-3);
    KBlock& minus = model.Add("KMinusX");
    KBlock& velocity = model.Add("KInt", "v");
    KBlock& position = model.Add("KInt", {{"Initial Value", 1.0}}, "x");
    model.Wire(position, "Output", minus, "Input");
    model.Wire(minus, "Output", velocity, "Input");
    model.Wire(velocity, "Output", position, "Input");
    model.Build();
    double worst = 0.0;
    for (int second = 1; second <= 10; ++second) {
        ASSERT_TRUE(model.RunUntil(second - 5e-4));
        const double t = model.benchTop->time;
        EXPECT_NEAR(t, second, 1e-9);
        model.benchTop->SyncNodeValues();
        const double x = position.FindNode("Output")->value;
        const double v = velocity.FindNode("Output")->value;
        worst = std::max({worst, std::fabs(x - std::cos(t)), std::fabs(v + std::sin(t))});
    }
    EXPECT_LT(worst, 1e-7);
}

// x' = t from x(0) = 0 is a polynomial RK4 integrates exactly: x = t^2 / 2.
// The time variable keeps the start of the last completed step while the
// bench-top clock is one step further.
TEST(Solver, RampIntegratesExactlyAndTheTimeVariableLagsOneStep) {
    KTestModel model(0.1);
    KBlock& time = model.Add("KTime");
    KBlock& integrator = model.Add("KInt");
    model.Wire(time, "Time", integrator, "Input");
    model.Build();
    ASSERT_TRUE(model.RunUntil(2.95));
    EXPECT_NEAR(model.benchTop->time, 3.0, 1e-12);
    EXPECT_NEAR(model.benchTop->TimeVar()->Value(), 2.9, 1e-12);
    EXPECT_NEAR(model.Solver().States()[0], 4.5, 1e-12);
}

// An integrator of a constant 1 from 0, with a probe on its output.
struct RampProbe {
    KTestModel model;
    KBlock* integrator = nullptr;
    KProbe* probe = nullptr;

    explicit RampProbe(double h, NodeValues values = {{"Input", 1.0}}) : model(h) {
        integrator = &model.Add("KInt", values);
        KBenchTop& benchTop = model.Build();
        probe = &benchTop.Adopt(std::make_unique<KProbe>(benchTop, *integrator, "Output"));
        benchTop.AddCompute(*probe);
    }
    KBlock& SolverBlock() { return *model.compiled.ordered.front(); }
};

// A reset made between steps (Zero All Stored Outputs) must reach the first
// evaluation of the next step too; applied only from stage 2 on, the first
// slope would still be computed from the old state.
TEST(Solver, ResetBetweenStepsIsSeenByTheFirstEvaluation) {
    RampProbe ramp(0.1);
    KSolver& solver = ramp.model.Solver();
    ASSERT_TRUE(solver.Step(0.0));
    EXPECT_NEAR(solver.States()[0], 0.1, 1e-15);
    ramp.model.benchTop->ZeroStoredOutputs();
    ramp.probe->seen.clear();
    ASSERT_TRUE(ramp.model.Step());
    EXPECT_EQ(ramp.probe->seen, (std::vector<double>{0.0, 0.0, 0.0, 0.0}));
    EXPECT_EQ(solver.States()[0], 0.0);
    EXPECT_FALSE(solver.IsResetPending(0));
    ASSERT_TRUE(ramp.model.Step());
    EXPECT_NEAR(solver.States()[0], 0.1, 1e-15);
}

// A reset made by a block in stage 2 holds the state from stage 3 on and is
// cleared at the end of the step.
TEST(Solver, ResetDuringStageTwoHoldsFromStageThree) {
    KTestModel model(0.1);
    KBlock& integrator =
        model.Add("KInt", {{"Input", 1.0}, {"Initial Value", 2.0}, {"Reset Value", 7.0}});
    KBenchTop& benchTop = model.Build();
    struct ResetAtStage2 : KProbe {
        using KProbe::KProbe;
        void Compute(double time) override {
            KProbe::Compute(time);
            if (evaluations == 2) BenchTop().Solver()->ResetTo(0, 7.0);
        }
    };
    auto& probe = benchTop.Adopt(std::make_unique<ResetAtStage2>(benchTop, integrator, "Output"));
    benchTop.AddCompute(probe);
    ASSERT_TRUE(model.Solver().Step(0.0));
    EXPECT_EQ(probe.seen, (std::vector<double>{2.0, 2.05, 7.0, 7.0}));
    EXPECT_EQ(model.Solver().States()[0], 7.0);
    EXPECT_FALSE(model.Solver().IsResetPending(0));
    ASSERT_TRUE(model.Step());
    EXPECT_NEAR(model.Solver().States()[0], 7.1, 1e-14);
}

// Cancel in the stop box suppresses the message for later stops, not the
// stops themselves.
TEST(Solver, TimeIncrementStopsAfterTheStepThatStartsBeyondIt) {
    KTestModel model(0.001, 0.01);
    model.Add("KTime");
    KBenchTop& benchTop = model.Build();
    model.messages.answer = KAnswer::Cancel;
    benchTop.RestartSolver();
    EXPECT_DOUBLE_EQ(model.Solver().StopTime(), 0.01);
    EXPECT_FALSE(model.RunUntil(1e6));
    EXPECT_GT(benchTop.time, 0.01);
    EXPECT_LE(benchTop.time, 0.012 + 1e-12);
    // The step that stopped started beyond the limit.
    EXPECT_GT(benchTop.TimeVar()->Value(), 0.01);
    model.ExpectOnlyBox("Simulation Stopped",
                        "Simulation stopped because of Solver Block node \"Time Increment\".  \r"
                        "Click Cancel to stop this message from showing.");
    EXPECT_EQ(model.messages.Last().buttons, KButtons::OkCancel);
    EXPECT_FALSE(model.Solver().ShowStopMessage());
    const double firstStop = benchTop.time;
    benchTop.RestartSolver();
    EXPECT_FALSE(model.RunUntil(1e6));
    EXPECT_GT(benchTop.time, firstStop + 0.01);
    EXPECT_EQ(model.messages.boxes.size(), 1u);
}

TEST(Solver, TimeIncrementZeroNegativeOrNanMeansNoLimit) {
    for (double limit : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(limit);
        KTestModel model(0.01, limit);
        model.Build().RestartSolver();
        EXPECT_EQ(model.Solver().StopTime(), KSolver::kNoStopTime);
        EXPECT_TRUE(model.RunUntil(0.5));
        EXPECT_TRUE(model.messages.boxes.empty());
    }
}

TEST(Solver, ChangedTimeIncrementCountsFromTheChange) {
    KTestModel model(0.01);
    KBenchTop& benchTop = model.Build();
    benchTop.RestartSolver();
    ASSERT_TRUE(model.RunUntil(0.995));
    *model.Slot(*model.compiled.ordered.front(), "Time Increment") = 0.1;
    EXPECT_FALSE(model.RunUntil(1e6));
    EXPECT_NEAR(model.Solver().StopTime(), 1.1, 1e-9);
    EXPECT_GT(benchTop.time, 1.1);
    EXPECT_LT(benchTop.time, 1.125);
}

// Without the check an unusable "h" would be stepped with, running time
// backwards or filling the model with not-a-number.
TEST(Solver, UnusableStepFailsBeforeAnythingChanges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> kCases[] = {
        {0.0, "0"}, {-1e-3, "-0.001"}, {nan, "nan"}, {inf, "inf"}};
    for (const auto& [h, shown] : kCases) {
        SCOPED_TRACE(shown);
        RampProbe ramp(1e-3);
        ASSERT_TRUE(ramp.model.Solver().Step(0.0));
        *ramp.model.Slot(ramp.SolverBlock(), "h") = h;
        const double before = ramp.model.Solver().States()[0];
        const int evaluations = ramp.probe->evaluations;
        EXPECT_FALSE(ramp.model.RunUntil(1.0));
        EXPECT_EQ(ramp.model.Solver().States()[0], before);
        EXPECT_EQ(ramp.model.benchTop->time, 1e-3);
        EXPECT_EQ(ramp.probe->evaluations, evaluations);
        ramp.model.ExpectOnlyBox("Error", std::string("Solver block \"Solver\": node \"h\" must "
                                                      "be a finite number greater than 0 (it is ") +
                                              shown + ").");
    }
}

// Late in a long run a small h no longer moves the clock (t + h == t); without
// the check RunUntil would repeat the same step forever.
TEST(Solver, StepTooSmallToMoveTheClockFailsInsteadOfHanging) {
    RampProbe ramp(1e-3);
    ramp.model.benchTop->time = 1e6;
    *ramp.model.Slot(ramp.SolverBlock(), "h") = 1e-12;
    EXPECT_FALSE(ramp.model.RunUntil(2e6));
    EXPECT_EQ(ramp.model.benchTop->time, 1e6);
    ramp.model.ExpectOnlyBox("Error",
                             "Solver block \"Solver\": node \"h\" (1e-12) is too small to advance "
                             "the time 1000000.");
}

// Without discarding, a failed evaluation would leave the states half advanced
// and the clock moved by h/2 or h, and Run would continue from a step that
// never was.
TEST(Solver, FailedEvaluationDiscardsTheStep) {
    for (int failingStage = 1; failingStage <= 4; ++failingStage) {
        for (const char* message : {"stop()", "boom"}) {
            SCOPED_TRACE(std::to_string(failingStage) + message);
            RampProbe ramp(0.1);
            KSolver& solver = ramp.model.Solver();
            ASSERT_TRUE(solver.Step(0.0));
            ramp.probe->throwAt = 4 + failingStage;
            ramp.probe->throwMessage = message;
            EXPECT_FALSE(solver.RunUntil(1.0));
            EXPECT_NEAR(solver.States()[0], 0.1, 1e-15);
            EXPECT_EQ(ramp.model.benchTop->time, 0.1);
            EXPECT_EQ(ramp.model.benchTop->TimeVar()->Value(), 0.0);
            EXPECT_NEAR(ramp.model.Value(*ramp.integrator, "Output"), 0.1, 1e-15);
            // Run again repeats the discarded step as a whole.
            EXPECT_TRUE(solver.RunUntil(0.15));
            EXPECT_NEAR(solver.States()[0], 0.2, 1e-15);
            EXPECT_NEAR(ramp.model.benchTop->time, 0.2, 1e-15);
        }
    }
}

// An integrator fed 1e308: the block's own arithmetic stays finite (a block's
// overflow is its run-time error); the slope sum 6e308 overflows in the solver.
TEST(Solver, OverflowDiscardsTheStepAndOffersToReset) {
    for (KAnswer answer : {KAnswer::Ok, KAnswer::Cancel}) {
        KTestModel model(0.1);
        model.Add("KInt", {{"Input", 1e308}, {"Gain", 1.0}, {"Initial Value", 3.0}});
        KBenchTop& benchTop = model.Build();
        model.messages.answer = answer;
        EXPECT_FALSE(model.RunUntil(1.0));
        EXPECT_EQ(model.Solver().States()[0], 3.0);
        EXPECT_EQ(benchTop.time, 0.0);
        model.ExpectOnlyBox(
            "Error",
            "An overflow occurred, possibly because the state equation solver became "
            "unstable.\nThe model will be automatically stopped.  You may\nneed to reduce "
            "\"h\" in the solver block.  Also, it is recommended that you reset the state "
            "variables.\n\nReset Variables?");
        EXPECT_EQ(model.messages.Last().buttons, KButtons::OkCancel);
        EXPECT_EQ(model.Solver().IsResetPending(0), answer == KAnswer::Ok);
    }
}

TEST(Solver, MoreThanMaximumOrderStatesIsFatal) {
    KTestModel model(0.1);
    for (int i = 0; i < KSolver::kDefaultMaxOrder; ++i) model.Add("KInt");
    model.Build();
    EXPECT_EQ(model.Solver().Count(), KSolver::kDefaultMaxOrder);

    KTestModel tooMany(0.1);
    for (int i = 0; i <= KSolver::kDefaultMaxOrder; ++i) tooMany.Add("KInt");
    tooMany.Compile();
    EXPECT_THROW(BuildBenchTop(tooMany.compiled, tooMany.messages), KFatalError);
    tooMany.ExpectOnlyBox("Fatal Error",
                          "Exceeded max order of solver; increase max order and recompile");
}

TEST(Solver, ResetStateVarsReturnsToInitialValues) {
    Decay decay(0.1);
    ASSERT_TRUE(decay.model.RunUntil(0.35));
    decay.model.Solver().ResetStateVars();
    EXPECT_EQ(decay.X(), 1.0);
}

// A step wired from the model can drop to zero during a run; the run must
// stop there with the step's message instead of repeating the same time.
TEST(Solver, AStepWiredToDropToZeroStopsTheRunThere) {
    KTestModel m;
    KBlock& solver = m.AddSolver(1e-3);
    KBlock& time = m.Add("KTime");
    KBlock& half = m.Add("KSimpleConstant", {{"Input", 0.5}});
    KBlock& early = m.Add("KCompareLT");
    KBlock& step = m.Add("KScale", {{"Scale by", 1e-3}});
    m.Wire(time, "Time", early, "Input1");
    m.Wire(half, "Output", early, "Input2");
    m.Wire(early, "Output", step, "Input");
    m.Wire(step, "Output", solver, "h");
    m.Build();
    // The wired step holds its value from the last evaluation; before any,
    // it is the node's own.
    EXPECT_FALSE(m.RunUntil(2.0));
    EXPECT_NEAR(m.benchTop->time, 0.5, 1.5e-3);
    EXPECT_TRUE(m.messages.HasText("node \"h\" must be a finite number greater than 0 (it is 0)"));
}

}  // namespace
}  // namespace korvel::test
