#include "instruments/xferacquisition.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/messagerecorder.h"
#include "instruments/excitation.h"
#include "instruments/livescope.h"

namespace korvel {
namespace {

TEST(Excitation, GeneratorSequenceAndIdenticalRecords) {
    KExcitation e;
    e.bypassFilter = true;
    // (7141 s + 54743) mod 259200 from 0: 54743, 100906, 48489.
    EXPECT_DOUBLE_EQ(e.Next(), 54743.0 / 259200 - 0.5);
    EXPECT_DOUBLE_EQ(e.Next(), 100906.0 / 259200 - 0.5);
    e.binary = true;
    EXPECT_EQ(e.Next(), -1.0);  // 48489 is in the lower half

    KExcitation shaped;
    std::vector<double> first;
    for (int i = 0; i < 50; ++i) first.push_back(shaped.Next());
    shaped.Reset();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(shaped.Next(), first[static_cast<std::size_t>(i)]) << i;
    // Unit gain at zero frequency: a constant comes out unchanged in the end.
    KExcitation dc;
    double y = 0.0;
    for (int i = 0; i < 500; ++i) y = dc.Shape(0.25);
    EXPECT_NEAR(y, 0.25, 1e-12);
}

// An analyzer over u and y at TSample 0.01 s, order 3 (N = 8), started at 0
// with 0.02 s of start zero time.
struct Rig {
    Rig() : xfer(Signals(), 4, messages, "DSA") {
        xfer.SetOrder(3);
        xfer.SetTSample(0.01, 0.0);
        xfer.SetTStartDelay(0.02);
        xfer.SetTEndDelay(0.03);
    }
    std::vector<KSignal> Signals() {
        return {{"u", "", 1, 0, 1, true, false, &u}, {"y", "", 1, 0, 2, true, false, &y}};
    }
    double u = 0.0;
    double y = 0.0;
    KMessageRecorder messages;
    KXferAcquisition xfer;
};

TEST(Dsa, RecordsNSamplesAfterTheStartDelayThenAsksForNoTime) {
    Rig rig;
    EXPECT_EQ(rig.xfer.NextSampleTime(), -1.0);  // stopped
    rig.xfer.Start(0.0);
    EXPECT_EQ(rig.xfer.ExcitationOutput(0.0), 0.0);
    std::vector<double> times;
    for (int i = 0; i < 40 && rig.xfer.NextSampleTime() >= 0; ++i) {
        const double t = rig.xfer.NextSampleTime();
        times.push_back(t);
        rig.u = t;
        rig.y = -t;
        EXPECT_TRUE(rig.xfer.Sample(t));
        EXPECT_TRUE(rig.xfer.Active() || rig.xfer.State() != DsaState::Sampling || t < 0.02);
    }
    // Samples at 0 and 0.01 only reset the excitation; 8 recorded from 0.02.
    ASSERT_EQ(times.size(), 10u);
    EXPECT_EQ(rig.xfer.State(), DsaState::Complete);
    EXPECT_FALSE(rig.xfer.Active());
    EXPECT_FLOAT_EQ(rig.xfer.Channel(0).Real(0, 0), 0.02f);
    EXPECT_FLOAT_EQ(rig.xfer.Channel(1).Real(0, 7), -2 * 0.09f);  // times its multiplier
    EXPECT_TRUE(rig.messages.boxes.empty());
}

// Issue 19: the shaping filter starts afresh with each record, so two
// records of one analyzer are identical to the last bit.
TEST(Dsa, TwoRecordsUseTheIdenticalExcitation) {
    Rig rig;
    std::vector<float> records[2];
    for (auto& record : records) {
        rig.xfer.Start(rig.xfer.NextSampleTime() < 0 ? 1.0 : 0.0);
        while (rig.xfer.IsRunning()) {
            rig.u = rig.xfer.ExcitationValue();
            rig.xfer.Sample(rig.xfer.NextSampleTime());
        }
        for (int i = 0; i < 8; ++i) record.push_back(rig.xfer.Channel(0).Real(0, i));
    }
    EXPECT_EQ(records[0], records[1]);
    EXPECT_NE(records[0][3], 0.0f);
}

TEST(Dsa, TheModelSeesEachExcitationValueHalfAPeriodAfterItsSample) {
    Rig rig;
    rig.xfer.Start(0.0);
    for (double t : {0.0, 0.01, 0.02}) rig.xfer.Sample(t);
    const double value = rig.xfer.ExcitationValue();
    EXPECT_NE(value, 0.0);
    EXPECT_EQ(rig.xfer.ExcitationOutput(0.0249), 0.0);
    EXPECT_EQ(rig.xfer.ExcitationOutput(0.025), value);
}

// Spectrum mode records through a triangular window: 0 at the first sample,
// 2 at the centre; the analyzer then never excites the model.
TEST(Dsa, SpectrumModeWindowsTheRecord) {
    Rig rig;
    rig.u = 1.0;
    rig.xfer.SetSpectrumMode(true, 0.0);
    while (rig.xfer.IsRunning()) {
        EXPECT_FALSE(rig.xfer.Active());
        rig.xfer.Sample(rig.xfer.NextSampleTime());
    }
    const float expected[8] = {0, 0.5f, 1, 1.5f, 2, 1.5f, 1, 0.5f};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.xfer.Channel(0).Real(0, i), expected[i]) << i;
}

TEST(Dsa, ANewAmplitudeClampsTheExcitationIntoItsBand) {
    Rig rig;
    rig.xfer.Start(0.0);
    rig.xfer.SetTStartDelay(0.0);
    rig.xfer.Start(0.0);
    rig.xfer.Sample(0.0);  // first value: 54743 / 259200 - 0.5, shaped
    const double value = rig.xfer.ExcitationValue();
    ASSERT_LT(value, -0.01);
    rig.xfer.SetExcitationAmplitude(0.02);
    EXPECT_EQ(rig.xfer.ExcitationValue(), -0.01);
}

TEST(Dsa, SettingsAreRefusedWithTheCaption) {
    Rig rig;
    struct Case {
        void (*apply)(KXferAcquisition&);
        const char* text;
    };
    const Case kCases[] = {
        {[](KXferAcquisition& x) { x.SetOrder(2); }, "Attempt to set Order < MinOrder in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetOrder(5); }, "Attempt to set Order > MaxOrder in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetTSample(-1, 0); }, "Attempt to set TSample < 0 in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetTSample(0, 0); }, "Sample Time must be > 0 in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetTEndDelay(0.08); },
         "Attempt to set tEndDelay >= 100% of Sample Time in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetTStartDelay(-1); },
         "Attempt to set TStartDelay < 0 in DSA \"DSA\""},
        {[](KXferAcquisition& x) { x.SetInputChannel("w"); },
         "DSA Input Channel Error.  Cannot find channel w in DSA \"DSA\""},
    };
    for (const Case& c : kCases) {
        c.apply(rig.xfer);
        EXPECT_EQ(rig.messages.Last().text, c.text);
    }
    EXPECT_EQ(rig.xfer.Order(), 3);
    EXPECT_EQ(rig.xfer.TSample(), 0.01);
    EXPECT_EQ(rig.xfer.TEndDelay(), 0.03);
}

// The live scope: a flat input in Normal mode never triggers; in Auto mode
// a capture starts once 20 divisions have passed since the last screen ended.
TEST(LiveScope, AutoModeCapturesAFlatInputAfterTwentyDivisions) {
    for (bool autoMode : {false, true}) {
        SCOPED_TRACE(autoMode);
        KLiveScopeAcquisition scope(false);
        KLiveScopeInputs in;
        in.timePerDivision = 0.01;  // samples every 0.5 ms
        in.autoMode = autoMode;
        in.input1 = in.triggerValue = -1.0;  // below the level: armed, never crossing
        in.position = 100;  // used as 99
        int started = -1;
        for (int k = 0; k < 1000; ++k) {
            scope.Compute(k * 0.0005, in);
            if (scope.State() == 2 && started < 0) started = k;
        }
        // 20 divisions = 0.2 s: the first sample past it is k = 401.
        EXPECT_EQ(started, autoMode ? 401 : -1);
        if (autoMode) {
            EXPECT_EQ(scope.State(), 3);
        }
    }
}

TEST(LiveScope, AutoscaleNeedsPoints) {
    KLiveScopeAcquisition scope(false);
    KMessageRecorder messages;
    double scale = 0;
    EXPECT_FALSE(scope.Autoscale(0, 1.0, scale, messages));
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().description,
              "Cannot autoscale because too few points have been collected.");
}

}  // namespace
}  // namespace korvel
