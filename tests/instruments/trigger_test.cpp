#include "instruments/trigger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "instruments/channel.h"

namespace korvel {
namespace {

// A source channel and a time channel at 0.01 s per division (one screen,
// and so the hold-off after a trigger, is 0.1 s).
struct Rig {
    double value = 0.0;
    double now = 0.0;
    KChannel source{KSignal{"x", "", 1.0, 0.0, 1.0, true, false, &value}, 11, 22};
    KTimeChannel time{KSignal{"Time", "", 0.01, 0.0, 1.0, false, false, &now}, 11, 22};
    KTrigger trigger{source, time, 0.0};
};

struct Case {
    const char* name;
    bool positive;
    double level;
    std::vector<double> values;  // one sample every 0.1 s from t = 0
    int fireAt;                  // the sample the trigger fires at, -1 for none
    void (*setup)(KTrigger&);
};

TEST(Trigger, FiresAtTheSampleTheStateMachineReaches) {
    const Case kCases[] = {
        {"rising through the level", true, 0.0, {1, 0, 0.5}, 2, nullptr},
        {"starting below: armed at once", true, 0.0, {-1, 2}, 1, nullptr},
        {"a value at the level is not a crossing", true, 0.0, {-1, 0, 0, 1e-9}, 3, nullptr},
        {"falling through the level", false, 0.5, {1, 0.6, 0.5, 0.4}, 3, nullptr},
        {"never back below the level", true, 0.0, {1, 2, 3, 4}, -1, nullptr},
        {"the third crossing counts", true, 0.0, {-1, 1, -1, 1, -1, 1}, 5,
         [](KTrigger& t) {
             t.SetCountEvents(true);
             t.SetNumEvents(3);
         }},
        {"no crossing before the init delay", true, 0.0, {-1, 1, -1, 1, -1, 1}, 5,
         [](KTrigger& t) {
             t.SetInitDelay(true);
             t.SetTInitDelay(0.35);
         }},
        {"fires the delay after the crossing", true, 0.0, {-1, 1, 1, 1, 1, 1}, 4,
         [](KTrigger& t) {
             t.SetDelayAfter(true);
             t.SetTDelayAfter(0.25);
         }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.trigger.level = c.level;
        rig.trigger.SetPositiveSlope(c.positive);
        if (c.setup) c.setup(rig.trigger);
        int fired = -1;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            rig.value = c.values[i];
            if (rig.trigger.CheckTrigger(0.1 * static_cast<double>(i)) && fired < 0) {
                fired = static_cast<int>(i);
            }
        }
        EXPECT_EQ(fired, c.fireAt);
        EXPECT_EQ(rig.trigger.TakeTriggered(), c.fireAt >= 0);
        EXPECT_FALSE(rig.trigger.TakeTriggered());
    }
}

// After firing, no crossing is looked for during one screen (10 divisions);
// Auto mode forces a capture 20.5 divisions after the last trigger.
TEST(Trigger, HoldOffAndAutoDeadlineCountFromTheTrigger) {
    Rig rig;
    rig.value = -1;
    EXPECT_FALSE(rig.trigger.CheckTrigger(0.0));
    rig.value = 1;
    ASSERT_TRUE(rig.trigger.CheckTrigger(0.01));
    rig.trigger.Arm();
    int fired = -1;
    for (int i = 2; i < 20; ++i) {
        rig.value = i % 2 == 0 ? -1 : 1;
        if (rig.trigger.CheckTrigger(0.01 * i) && fired < 0) fired = i;
    }
    // Hold-off until 0.11: the first crossing looked for is the pre-level at
    // 0.12 and the crossing at 0.13.
    EXPECT_EQ(fired, 13);
    // The deadline is 0.13 + 0.205.
    EXPECT_FALSE(rig.trigger.AutoTimeout(0.334));
    EXPECT_TRUE(rig.trigger.AutoTimeout(0.336));
    EXPECT_FALSE(rig.trigger.AutoTimeout(0.337));  // the next deadline is 0.541
    rig.trigger.SetNormal(0.4);
    EXPECT_FALSE(rig.trigger.AutoTimeout(10.0));
}

TEST(Trigger, PositionIsClampedToTheScreen) {
    Rig rig;
    for (const auto& [set, position] : {std::pair{-5.0, 0.0}, {150.0, 100.0}, {std::nan(""), 0.0}}) {
        rig.trigger.SetPosition(set);
        EXPECT_EQ(rig.trigger.Position(), position) << set;
    }
}

}  // namespace
}  // namespace korvel
