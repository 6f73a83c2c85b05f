// The idle-time run loop: passes, sampling, the stop reasons and the errors
// that escape a pass.
#include "engine/runloop.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "testmodel.h"

namespace korvel::test {
namespace {

struct LoopModel {
    KTestModel model;
    KFakeInstrument* scope = nullptr;
    KRunLoop loop{model.messages};
    std::vector<bool> runningChanges;
    std::string timeText;

    explicit LoopModel(double limit = 0.0) {
        model.AddSolver(1e-3, limit);
        model.Add("KTime");
        KBenchTop& benchTop = model.Build();
        scope = &benchTop.Adopt(std::make_unique<KFakeInstrument>(0.01, 0.01));
        benchTop.AddScope(*scope);
        loop.onRunningChanged = [this](bool running) { runningChanges.push_back(running); };
        loop.onTimeText = [this](std::string_view text) { timeText = std::string(text); };
        loop.SetBenchTop(&benchTop);
    }
    double Time() const { return model.benchTop->time; }
};

// Issue 15: the run-time objects point at the compiled blocks, which an edit
// may delete; a model edited while it runs must stop, not step on.
TEST(RunLoop, AnEditedModelStopsAndDoesNotRunAgain) {
    LoopModel m;
    ASSERT_TRUE(m.loop.PressRun());
    EXPECT_TRUE(m.loop.Pass());
    const double time = m.Time();
    m.model.elements.DeleteElement(m.model.elements.At(1));
    EXPECT_FALSE(m.model.benchTop->IsCurrent());
    EXPECT_FALSE(m.loop.Pass());
    EXPECT_FALSE(m.loop.IsRunning());
    EXPECT_FALSE(m.loop.PressRun());
    EXPECT_EQ(m.Time(), time);
}

TEST(RunLoop, APassRunsTwentyFiveSampleIntervals) {
    LoopModel m;
    ASSERT_TRUE(m.loop.PressRun());
    EXPECT_EQ(m.scope->prepared, 1);
    EXPECT_EQ(m.runningChanges, std::vector<bool>{true});
    EXPECT_TRUE(m.loop.Pass());
    EXPECT_EQ(m.scope->samples.size(), 25u);
    EXPECT_NEAR(m.Time(), 0.25, 1e-9);
    EXPECT_EQ(m.timeText, "0.25");
    EXPECT_TRUE(m.loop.IsRunning());
}

// A pass of a stopped model, of a model a scope holds, or of a stopped model
// an analyzer runs in does not advance it, and the loop stays alive.
TEST(RunLoop, PassesThatDoNotAdvanceTheModel) {
    for (int situation = 0; situation < 3; ++situation) {
        SCOPED_TRACE(situation);
        LoopModel m;
        if (situation == 1) {
            m.loop.PressRun();
            m.scope->wantsStop = true;
        }
        m.scope->running = situation == 2;
        EXPECT_TRUE(m.loop.Pass());
        EXPECT_EQ(m.Time(), 0.0);
        EXPECT_TRUE(m.scope->samples.empty());
        EXPECT_EQ(m.loop.IsRunning(), situation == 1);
        if (situation == 0) {
            EXPECT_EQ(m.timeText, "0");
        }
    }
}

TEST(RunLoop, TimeIncrementStopsTheRunAndRunContinues) {
    LoopModel m(0.05);
    m.loop.PressRun();
    m.loop.Pass();
    EXPECT_FALSE(m.loop.IsRunning());
    EXPECT_EQ(m.runningChanges, (std::vector<bool>{true, false}));
    EXPECT_GT(m.Time(), 0.05);
    EXPECT_LT(m.Time(), 0.053);
    EXPECT_EQ(m.model.messages.Last().caption, "Simulation Stopped");
    // Run again counts the limit from where the model stopped.
    const double stoppedAt = m.Time();
    m.loop.PressRun();
    m.loop.Pass();
    EXPECT_GT(m.Time(), stoppedAt + 0.05);
    EXPECT_FALSE(m.loop.IsRunning());
}

TEST(RunLoop, FailedSampleStopsTheRun) {
    LoopModel m;
    m.scope->failAt = 3;
    m.loop.PressRun();
    m.loop.Pass();
    EXPECT_FALSE(m.loop.IsRunning());
    EXPECT_EQ(m.scope->samples.size(), 3u);
    EXPECT_NEAR(m.Time(), 0.03, 1e-9);
}

TEST(RunLoop, ErrorEscapingAPassIsReportedAndStopsTheRun) {
    LoopModel m;
    struct Throwing : KProbe {
        using KProbe::KProbe;
        void Compute(double) override { throw std::runtime_error("bad allocation of a buffer"); }
    };
    KBenchTop& benchTop = *m.model.benchTop;
    benchTop.AddCompute(
        benchTop.Adopt(std::make_unique<Throwing>(benchTop, *m.model.compiled.ordered.back())));
    m.loop.PressRun();
    EXPECT_TRUE(m.loop.Pass());
    EXPECT_FALSE(m.loop.IsRunning());
    EXPECT_EQ(m.Time(), 0.0);  // the step it broke was discarded
    m.model.ExpectOnlyBox("Error",
                          "The following run-time error occurred:   bad allocation of a buffer.\n"
                          "The model will be automatically stopped.");
}

TEST(RunLoop, FatalErrorsReachTheFrontEnd) {
    LoopModel m;
    struct Fatal : KProbe {
        using KProbe::KProbe;
        void Compute(double) override { BenchTop().Sink().FatalBox("Fault in a test"); }
    };
    KBenchTop& benchTop = *m.model.benchTop;
    benchTop.AddCompute(
        benchTop.Adopt(std::make_unique<Fatal>(benchTop, *m.model.compiled.ordered.back())));
    m.loop.PressRun();
    EXPECT_THROW(m.loop.Pass(), KFatalError);
}

TEST(RunLoop, NothingToDoWithoutACompiledModel) {
    KMessageRecorder messages;
    KRunLoop loop(messages);
    EXPECT_FALSE(loop.Pass());
    EXPECT_FALSE(loop.PressRun());
    EXPECT_FALSE(loop.IsRunning());
    int ticks = 0;
    loop.onDisplayTick = [&ticks] { ++ticks; };
    loop.DisplayTick();
    EXPECT_EQ(ticks, 0);
    LoopModel m;
    loop.SetBenchTop(m.model.benchTop.get());
    loop.DisplayTick();
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace korvel::test
