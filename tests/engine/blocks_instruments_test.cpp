// The instrument blocks inside a built model: binding to variables, the
// analyzer's excitation switch, sample times and stop requests.
#include "engine/blocks_instruments.h"

#include <gtest/gtest.h>

#include "engine/runloop.h"
#include "testmodel.h"

namespace korvel::test {
namespace {

KLibraryDsa& OnlyAnalyzer(KBenchTop& benchTop) {
    EXPECT_EQ(benchTop.Analyzers().size(), 1u);
    return *dynamic_cast<KLibraryDsa*>(benchTop.Analyzers().front());
}

KScope& OnlyScope(KBenchTop& benchTop) {
    EXPECT_EQ(benchTop.Scopes().size(), 1u);
    return *dynamic_cast<KScope*>(benchTop.Scopes().front());
}

// A DSA compiled before the Variables it watches, exciting a gain of 3.
struct DsaModel {
    KTestModel model;
    KBlock* dsa;
    KBlock* gain;

    DsaModel() {
        model.AddSolver(1e-3);
        dsa = &model.Add("KDsa",
                         {{"Switched Input Wave", 0.5},
                          {"Unswitched Input Wave", 10.0},
                          {"TSample", 0.01},
                          {"Start Zero Time", 0.0},
                          {"End Zero Time", 0.0},
                          {"Order", 3}},
                         "Analyzer");
        KBlock& u = model.Add("KVariable", "u");
        gain = &model.Add("KScale", {{"Scale by", 3.0}}, "gain");
        KBlock& y = model.Add("KVariable", "y");
        model.Add("KScope", "Scope");
        KTestModel::Set(*dsa, "Input Channel", u.IDNumber());
        KTestModel::Set(*dsa, "Output Channel", y.IDNumber());
        model.Wire(*dsa, "Excitation", u, "Input");
        model.Wire(*dsa, "Excitation", *gain, "Input");
        model.Wire(*gain, "Output", y, "Input");
        model.Build();
    }
};

TEST(DsaBlock, BindsToVariablesCompiledAfterItAndPassesTheSwitchedWaveWhenStopped) {
    DsaModel m;
    KBenchTop& benchTop = *m.model.benchTop;
    KLibraryDsa& dsa = OnlyAnalyzer(benchTop);
    ASSERT_NE(dsa.Acquisition(), nullptr);
    EXPECT_EQ(dsa.Acquisition()->InputChannel().Name(), "u");
    EXPECT_EQ(dsa.Acquisition()->OutputChannel().Name(), "y");
    EXPECT_TRUE(m.model.messages.boxes.empty());

    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.005));
    EXPECT_EQ(m.model.Value(*m.dsa, "Excitation"), 10.5);
    EXPECT_EQ(m.model.Value(*m.dsa, "DSA Inactive"), 1.0);
    // A stopped analyzer asks for no sample time, so it cannot hold the clock.
    EXPECT_EQ(dsa.NextSampleTime(), -1.0);
    EXPECT_EQ(benchTop.NextRunTime(), OnlyScope(benchTop).NextSampleTime());
}

TEST(DsaBlock, AStartedAnalyzerExcitesTheModelUntilItsRecordIsComplete) {
    DsaModel m;
    KBenchTop& benchTop = *m.model.benchTop;
    KXferAcquisition& xfer = *OnlyAnalyzer(benchTop).Acquisition();
    xfer.Start(benchTop.time);
    int passes = 0;
    while (xfer.IsRunning() && passes++ < 1000) {
        ASSERT_TRUE(benchTop.Solver()->RunUntil(benchTop.NextRunTime()));
        if (xfer.Active()) {
            EXPECT_EQ(m.model.Value(*m.dsa, "DSA Inactive"), 0.0);
            EXPECT_EQ(m.model.Value(*m.dsa, "Excitation"),
                      10.0 + xfer.ExcitationOutput(benchTop.time));
        }
        benchTop.SampleInstruments();
    }
    EXPECT_EQ(xfer.State(), DsaState::Complete);
    // 8 samples, 0.01 s apart from t = 0.
    EXPECT_NEAR(benchTop.time, 0.07, 1e-9);
    // y = 3 u sample by sample, so the gain is 20 log10(3) at every bin.
    for (int k = 1; k < 4; ++k) EXPECT_NEAR(xfer.TransferGain(0, k), 9.5424, 1e-4) << k;
    ASSERT_TRUE(benchTop.Solver()->RunUntil(benchTop.time + 0.002));
    EXPECT_EQ(m.model.Value(*m.dsa, "Excitation"), 10.5);
}

// A live scope is a variable named after its block; a single-shot screen
// makes the instrument pass answer false once.
TEST(LiveScopeBlock, IsAVariableAndStopsTheRunOnceAfterASingleShot) {
    KTestModel model(1e-3);
    KBlock& time = model.Add("KTime");
    KBlock& live = model.Add("KLiveVariable", {{"Time/Div", 0.01}}, "watch");
    model.Wire(time, "Time", live, "Input");
    model.Add("KScope", "Scope");
    KBenchTop& benchTop = model.Build();
    ASSERT_EQ(benchTop.LiveList().size(), 1u);
    auto& scope = dynamic_cast<KLibraryLiveVariable&>(*benchTop.LiveList().front());
    EXPECT_EQ(scope.Var().Name(), "watch");
    scope.Acquisition().singleShot = true;
    int failed = 0;
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(benchTop.Solver()->RunUntil(benchTop.time + 1e-3));
        if (!benchTop.SampleInstruments()) ++failed;
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(scope.Acquisition().State(), 3);
    // The last evaluation of a step is at its end.
    EXPECT_NEAR(scope.Var().Value(), benchTop.time, 1e-9);
}

// Hot connect shows another variable on the scope and triggers on it while
// "Trigger Source" is not wired. In Normal mode at level 0, the block's own
// input (time, from 0 upwards) triggers at once; a hot-connected constant -5
// never crosses, so nothing is captured.
TEST(LiveScopeBlock, HotConnectShowsAnotherVariable) {
    for (bool hot : {false, true}) {
        SCOPED_TRACE(hot);
        KTestModel model(1e-3);
        KBlock& time = model.Add("KTime");
        model.Add("KVariable", {{"Input", -5.0}}, "other");
        KBlock& live = model.Add("KLiveVariable", {{"Time/Div", 0.01}}, "watch");
        KTestModel::Set(live, "Trigger Mode", 0.0);  // Normal
        model.Wire(time, "Time", live, "Input");
        model.Add("KScope", "Scope");
        KBenchTop& benchTop = model.Build();
        auto& scope = dynamic_cast<KLibraryLiveVariable&>(*benchTop.LiveList().front());
        const KLibraryVar* var = benchTop.Variables().All().front();
        ASSERT_EQ(var->Name(), "other");
        if (hot) scope.HotConnect(*var);
        ASSERT_TRUE(benchTop.Solver()->RunUntil(0.3));
        if (hot) {
            EXPECT_EQ(scope.Acquisition().FillIndex(), -1);
        } else {
            EXPECT_EQ(scope.Acquisition().State(), 3);
            EXPECT_GT(scope.Acquisition().ScreenValue(0, 200), 0.05);  // 160 points after 0
        }
        // The block's variable follows its own input either way.
        EXPECT_NEAR(scope.Var().Value(), benchTop.time, 1e-9);
        scope.Restore();
        EXPECT_FALSE(scope.IsHotConnected());
    }
}

// Through the run loop: a single-shot scope presses Stop once its screen is
// complete, and holds the model until Run is pressed again.
TEST(ScopeBlock, ASingleShotScopeStopsTheRunLoop) {
    KTestModel model(1e-3);
    KBlock& time = model.Add("KTime");
    KBlock& x = model.Add("KVariable", "x");
    model.Wire(time, "Time", x, "Input");
    model.Add("KScope", {{"Single Shot?", 1.0}, {"Time/Div", 0.01}}, "Scope");
    KBenchTop& benchTop = model.Build();
    KRunLoop loop(model.messages);
    loop.SetBenchTop(&benchTop);
    ASSERT_TRUE(loop.PressRun());
    for (int i = 0; i < 100 && loop.IsRunning(); ++i) loop.Pass();
    EXPECT_FALSE(loop.IsRunning());
    // Auto mode: the screen starts at 0 and holds 401 samples 0.25 ms apart,
    // taken at the 1 ms steps.
    EXPECT_NEAR(benchTop.time, 0.1, 1e-9);
    const KScopeAcquisition& scope = *OnlyScope(benchTop).Acquisition();
    EXPECT_EQ(scope.CapturedScreen().captures, 1);
    EXPECT_TRUE(benchTop.AnyScopeWantsStop());
    ASSERT_TRUE(loop.PressRun());
    EXPECT_FALSE(benchTop.AnyScopeWantsStop());
    EXPECT_TRUE(model.messages.boxes.empty());
}

}  // namespace
}  // namespace korvel::test
