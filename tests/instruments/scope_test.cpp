#include "instruments/scopeacquisition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

// A scope over one variable x. 0.01 s per division at N = 401 samples every
// 0.25 ms; `Run` samples at those times, x following a chosen function.
struct Rig {
    explicit Rig(TriggerMode mode, int screenPoints = 401) {
        scope = std::make_unique<KScopeAcquisition>(
            KSignal{"Time", "", 0.02, 0, 1, false, false, &time},
            std::vector<KSignal>{{"x", "", 1, 0, 1, true, false, &x}}, messages, "Scope",
            screenPoints, 2 * screenPoints);
        scope->SetMode(mode, 0.0);
        scope->SetTimePerDivision(0.01);
    }
    // Samples k = first .. last, each at the time the scope asks for (about
    // k periods); answers the k of the first sample that answered false (-1
    // for none).
    int Run(int first, int last, const std::function<double(double)>& f) {
        int stopped = -1;
        for (int k = first; k <= last; ++k) {
            time = scope->NextSampleTime();
            x = f(time);
            if (!scope->Sample(time) && stopped < 0) stopped = k;
        }
        return stopped;
    }
    double time = 0.0;
    double x = 0.0;
    KMessageRecorder messages;
    std::unique_ptr<KScopeAcquisition> scope;
};

double Flat(double) {
    return -1.0;
}

// The first screen of an Auto-mode scope starts with the run. With a source
// that never crosses, the deadline (set with the mode, at 0) has passed after
// that screen, so the next sample forces a capture of N - 1 history points
// plus one new sample.
TEST(Scope, AutoModeCapturesFromTimeZeroThenForcesCaptures) {
    Rig rig(TriggerMode::Auto);
    rig.Run(0, 399, Flat);
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 0);
    rig.Run(400, 400, Flat);
    const KCapturedScreen& screen = rig.scope->CapturedScreen();
    ASSERT_EQ(screen.captures, 1);
    EXPECT_EQ(screen.time.front(), 0.0);
    EXPECT_NEAR(screen.time.back(), 0.1, 1e-12);
    EXPECT_TRUE(rig.messages.boxes.empty());
    EXPECT_EQ(rig.scope->State(), ScopeState::PreTrigger);
    rig.Run(401, 401, Flat);
    EXPECT_EQ(rig.scope->State(), ScopeState::Capturing);
    EXPECT_EQ(rig.scope->ScreenPointCount(), 400);
    rig.Run(402, 402, Flat);
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 2);
}

// A crossing at sample 1000 with the trigger at 20%: floor(401 * 0.2) = 80
// points before it come from the history (the trigger sample the last of
// them), and the screen completes 321 samples later.
TEST(Scope, NormalModeStartsTheScreenAtTheTriggerPosition) {
    Rig rig(TriggerMode::Normal);
    const double crossing = 1000 * 0.01 * 10 / 400;
    auto step = [crossing](double t) { return t < crossing - 1e-9 ? -1.0 : 1.0; };
    rig.Run(0, 1320, step);
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 0);
    rig.Run(1321, 1321, step);
    const KCapturedScreen& screen = rig.scope->CapturedScreen();
    ASSERT_EQ(screen.captures, 1);
    EXPECT_DOUBLE_EQ(screen.time[79], crossing);
    EXPECT_EQ(screen.values[0][78], -1.0);
    EXPECT_EQ(screen.values[0][79], 1.0);
    // A flat source never captures.
    Rig flat(TriggerMode::Normal);
    flat.Run(0, 5000, Flat);
    EXPECT_EQ(flat.scope->CapturedScreen().captures, 0);
}

// Cont mode starts every capture from 2 history points; with roll, each
// further 5 samples drop the 5 oldest points and complete a screen again.
TEST(Scope, ContModeFollowsScreensAndRollScrolls) {
    Rig rig(TriggerMode::Cont);
    rig.Run(0, 398, Flat);
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 1);
    rig.Run(399, 797, Flat);
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 2);

    Rig roll(TriggerMode::Cont);
    roll.scope->SetRoll(true);
    roll.Run(0, 398, Flat);
    EXPECT_EQ(roll.scope->CapturedScreen().captures, 1);
    roll.Run(399, 402, Flat);
    EXPECT_EQ(roll.scope->CapturedScreen().captures, 1);
    roll.Run(403, 403, Flat);
    EXPECT_EQ(roll.scope->CapturedScreen().captures, 2);
    EXPECT_NEAR(roll.scope->CapturedScreen().time.back(), 403 * 0.1 / 400, 1e-12);
}

// Single shot answers false exactly once and holds the run until Rearm.
TEST(Scope, SingleShotStopsOnceThenWaitsForANewRun) {
    Rig rig(TriggerMode::Auto);
    rig.scope->SetSingleShot(true);
    EXPECT_EQ(rig.Run(0, 1000, Flat), 400);
    EXPECT_TRUE(rig.scope->WantsStop());
    EXPECT_EQ(rig.scope->CapturedScreen().captures, 1);
    rig.scope->Rearm();
    EXPECT_FALSE(rig.scope->WantsStop());
    EXPECT_EQ(rig.scope->State(), ScopeState::PreTrigger);
}

TEST(Scope, AnUnknownHorizontalChannelIsRefusedWithTheCaption) {
    Rig rig(TriggerMode::Auto);
    EXPECT_FALSE(rig.scope->SetHorizontalChannel("nope"));
    EXPECT_EQ(rig.messages.Last().text, "Horizontal Channel Invalid in Scope \"Scope\"");
    EXPECT_TRUE(rig.scope->SetHorizontalChannel("x"));
    EXPECT_TRUE(rig.scope->IsXYMode());
}

// Pixel rows on a 200-pixel screen at 1 unit per division: 8 divisions of
// 25 pixels around row 100, clamped to one pixel beyond the screen. Columns
// of the time channel at 0.01 s per division on 300 pixels: 30 per division
// from the screen's first time, kept one pixel inside the screen.
TEST(ScopePixels, RowsAndColumnsFollowTheScales) {
    double x = 0.0, t = 0.0;
    KMessageRecorder messages;
    KChannel channel({"x", "", 1.0, 0.0, 1.0, true, false, &x}, 5, 10);
    KTimeChannel time({"Time", "", 0.01, 0.0, 1.0, false, false, &t}, 5, 10);
    channel.Row(1.0, messages);
    EXPECT_EQ(messages.Last().text, "Internal Error: ScreenDimensions not initialized");
    channel.SetScreenSize(200, 300, messages);
    time.SetScreenSize(200, 300, messages);
    struct RowCase {
        double value, row;
    };
    for (const RowCase& c : {RowCase{0, 100}, {1, 75}, {-1, 125}, {0.5, 87}, {5, -1}, {-5, 201}}) {
        EXPECT_EQ(channel.Row(c.value, messages), c.row) << c.value;
    }
    struct ColumnCase {
        double time, column;
    };
    for (const ColumnCase& c : {ColumnCase{0.05, 150}, {0.0, 1}, {0.1, 298}, {0.0101, 30}}) {
        EXPECT_EQ(time.Column(c.time, messages), c.column) << c.time;
    }
    // As horizontal channel a value channel maps around the centre, unclamped.
    EXPECT_EQ(channel.Column(2.0, messages), 210);
    EXPECT_EQ(channel.Column(-10.0, messages), -150);
}

}  // namespace
}  // namespace korvel
