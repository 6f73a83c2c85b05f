// Motion blocks: the compliant load against its closed form, transforms,
// friction, feedback quantisation and motion profiles at their breakpoints.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "testmodel.h"

namespace korvel::test {
namespace {

// Equal inertias 0.001, spring 1000, damper 0.01, motor starting at 1 rad/s:
// the centre of mass moves on at 0.5 rad/s and the relative speed rings
// down as exp(-s t)(cos wd t - s / wd sin wd t) with s = 10 /s and
// wd^2 = 2e6 - 100. RK4 at h = 2^-15 s keeps it to 1e-7; integrating stale
// stage values (a first-order method) misses by about 1e-2.
TEST(Motion, TwoBodyLoadRingsAtItsNaturalFrequency) {
    KTestModel model(std::ldexp(1.0, -15));
    KBlock& load = model.Add("KMech2J", {{"Kcv", 0.01}, {"Vm", 1.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.1));
    const double t = benchTop.time;
    const double s = 10.0;
    const double wd = std::sqrt(2e6 - s * s);
    const double relative = std::exp(-s * t) * (std::cos(wd * t) - s / wd * std::sin(wd * t));
    benchTop.SyncNodeValues();
    EXPECT_NEAR(model.Value(load, "Vm"), 0.5 + 0.5 * relative, 1e-7);
    EXPECT_NEAR(model.Value(load, "Vl"), 0.5 - 0.5 * relative, 1e-7);
}

// Decoupled, 1 Nm on 0.001 kg-m^2: 1000 rad/s^2 until Vmax = 10 at 0.01 s,
// then the angle grows at exactly 10 rad/s.
TEST(Motion, SpeedLimitedMotorTurnsAtExactlyVmax) {
    KTestModel model(1.0 / 1024);
    KBlock& load =
        model.Add("KMech2J", {{"Ks", 0.0}, {"Kcv", 0.0}, {"tApplied", 1.0}, {"Vmax", 10.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.0625));
    EXPECT_EQ(model.Value(load, "Vm"), 10.0);
    const double before = model.Value(load, "Pm");
    ASSERT_TRUE(benchTop.Solver()->RunUntil(0.125));
    EXPECT_NEAR(model.Value(load, "Pm") - before, 10.0 * 0.0625, 1e-12);
    EXPECT_EQ(model.Value(load, "Vl"), 0.0);
}

TEST(Motion, DqToAbcAndBackReturnsTheInputs) {
    KTestModel model(0.01);
    KBlock& toAbc = model.Add("KDQ2ABC");
    KBlock& toDq = model.Add("KABC2DQ");
    for (const char* phase : {"Phase A", "Phase B", "Phase C"}) {
        model.Wire(toAbc, phase, toDq, phase);
    }
    KBenchTop& benchTop = model.Build();
    for (double theta : {0.0, 0.7, 2.5, -4.0}) {
        SCOPED_TRACE(theta);
        *model.Slot(toAbc, "Direct") = 1.5;
        *model.Slot(toAbc, "Quadrature") = -0.25;
        *model.Slot(toAbc, "Theta") = theta;
        *model.Slot(toDq, "Theta") = theta;
        ASSERT_TRUE(benchTop.ComputeAll(0.0));
        EXPECT_NEAR(model.Value(toAbc, "Phase A") + model.Value(toAbc, "Phase B") +
                        model.Value(toAbc, "Phase C"),
                    0.0, 1e-15);
        EXPECT_NEAR(model.Value(toDq, "Direct"), 1.5, 1e-7);
        EXPECT_NEAR(model.Value(toDq, "Quadrature"), -0.25, 1e-7);
    }
}

TEST(Motion, FrictionSticksWithinTheBreakSpeedAndSlidesBeyond) {
    const struct {
        double velocity, breakSpeed, expected;
    } cases[] = {
        {0.0, 1.0, 0.0}, {0.5, 1.0, -1.5}, {-0.5, 1.0, 1.5}, {2.0, 1.0, -3.0}, {-2.0, 1.0, 3.0},
        {0.0, 0.0, 0.0}, {0.1, 0.0, -3.0}, {-0.1, 0.0, 3.0}, {0.0, -1.0, 0.0}, {0.1, -1.0, -3.0},
    };
    KTestModel model(0.01);
    KBlock& friction = model.Add("KFriction", {{"Sliding Friction", 3.0}});
    KBenchTop& benchTop = model.Build();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.velocity);
        SCOPED_TRACE(c.breakSpeed);
        *model.Slot(friction, "Velocity") = c.velocity;
        *model.Slot(friction, "Break speed") = c.breakSpeed;
        ASSERT_TRUE(benchTop.ComputeAll(0.0));
        EXPECT_EQ(model.Value(friction, "Output"), c.expected);
    }
}

// 2048 lines a turn: 8192 counts of 2 pi / 8192 (with the literal quarter turn).
TEST(Motion, MotorFeedbackQuantisesToCounts) {
    KTestModel model(0.01);
    KBlock& feedback = model.Add("KMotorFb", {{"Input Position", 1.0}});
    KBenchTop& benchTop = model.Build();
    ASSERT_TRUE(benchTop.ComputeAll(0.0));
    const double q = 1.5707963 / 2048;
    EXPECT_EQ(model.Value(feedback, "Output Position"), std::floor(1.0 / q + 0.5) * q);
    *model.Slot(feedback, "Enable") = 0.0;
    ASSERT_TRUE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(model.Value(feedback, "Output Position"), 1.0);
}

// Pc, Vc, Ac, Profiling and In Motion at chosen times. Triangular: D = 2 at
// V = 4 from Pf = 5: half a second up at 8 rad/s^2, half down, a dwell of
// 0.1 s, then idle at 7 (once not Continuous, at 1.2). AVD with D = 10, V = 4,
// A = 8, B = 4: 1 rad up in 0.5 s, 7 rad at 4 rad/s in 1.75 s, 2 rad down in
// 1 s. With D = 1 and A = B = 8 the move cannot reach V: it peaks at sqrt(8)
// rad/s half way.
TEST(MotionProfiles, MovesAtTheirBreakpoints) {
    struct Sample {
        double t, pc, vc, ac, profiling, inMotion;
    };
    const double top = std::sqrt(8.0);
    const struct {
        const char* tag;
        NodeValues values;
        std::vector<Sample> samples;
    } kCases[] = {
        {"KProfileTri",
         {{"PDistance", 2.0}, {"VMax", 4.0}, {"Pf", 5.0}, {"Continuous", 1.0}},
         {{0.0, 5.0, 0, 8, 1, 1},
          {0.25, 5.25, 2, 8, 1, 1},
          {0.5, 6.0, 4, -8, 1, 1},
          {0.75, 6.75, 2, -8, 1, 1},
          {1.0, 7.0, 0, 0, 1, 0},
          {1.2, 7.0, 0, 0, 0, 0}}},
        {"KProfileAVD",
         {{"PDistance", 10.0}, {"VTraverse", 4.0}, {"AMax", 8.0}, {"DMax", 4.0}, {"Continuous", 1}},
         {{0.0, 0, 0, 8, 1, 1},
          {0.5, 1, 4, 0, 1, 1},
          {2.25, 8, 4, -4, 1, 1},
          {3.25, 10, 0, 0, 1, 0}}},
        {"KProfileAVD",
         {{"PDistance", 1.0}, {"VTraverse", 4.0}, {"AMax", 8.0}, {"DMax", 8.0}, {"Continuous", 1}},
         {{0.0, 0, 0, 8, 1, 1},
          {0.1, 0.04, 0.8, 8, 1, 1},
          {top / 8 + 0.1, 0.5 + top * 0.1 - 0.04, top - 0.8, -8, 1, 1}}},
    };
    for (const auto& c : kCases) {
        KTestModel model(0.01);
        KBlock& profile = model.Add(c.tag, c.values);
        model.Build();
        for (const Sample& s : c.samples) {
            SCOPED_TRACE(std::string(c.tag) + " " + std::to_string(s.t));
            *model.Slot(profile, "Continuous") = s.profiling;  // off: the profile idles
            ASSERT_TRUE(model.benchTop->ComputeAll(s.t));
            EXPECT_NEAR(model.Value(profile, "Pc"), s.pc, 1e-12);
            EXPECT_NEAR(model.Value(profile, "Vc"), s.vc, 1e-12);
            EXPECT_NEAR(model.Value(profile, "Ac"), s.ac, 1e-12);
            EXPECT_EQ(model.Value(profile, "Profiling"), s.profiling);
            EXPECT_EQ(model.Value(profile, "In Motion"), s.inMotion);
        }
    }
}

// A move of -2 mirrors the move of +2 about its start.
TEST(MotionProfiles, ANegativeDistanceMovesBackwards) {
    for (const char* tag : {"KProfileTri", "KProfile333", "KProfileAVD", "KProfile333PA"}) {
        SCOPED_TRACE(tag);
        double forward[3] = {};
        for (double distance : {2.0, -2.0}) {
            KTestModel model(0.01);
            KBlock& profile = model.Add(tag);
            KTestModel::Set(profile, "PDistance", distance);
            KTestModel::Set(profile, "Continuous", 1.0);
            KBenchTop& benchTop = model.Build();
            ASSERT_TRUE(benchTop.ComputeAll(0.0));
            ASSERT_TRUE(benchTop.ComputeAll(0.001));
            const double got[3] = {model.Value(profile, "Pc"), model.Value(profile, "Vc"),
                                   model.Value(profile, "Ac")};
            for (int i = 0; i < 3; ++i) {
                EXPECT_FALSE(std::isnan(got[i]));
                if (distance > 0) {
                    forward[i] = got[i];
                    EXPECT_GT(got[i], 0.0);
                } else {
                    EXPECT_EQ(got[i], -forward[i]);
                }
            }
        }
    }
}

TEST(MotionProfiles, AnUnusableSpeedStopsTheRunWithAMessage) {
    KTestModel model(0.01);
    model.Add("KProfileTri", {{"VMax", 0.0}, {"Continuous", 1.0}}, "axis");
    KBenchTop& benchTop = model.Build();
    EXPECT_FALSE(benchTop.ComputeAll(0.0));
    EXPECT_EQ(model.messages.Last().text,
              "Run time error:  node \"VMax\" is 0; it must be a number greater than 0 to plan a "
              "move in KProfileTri block named \"axis\"");
}

}  // namespace
}  // namespace korvel::test
