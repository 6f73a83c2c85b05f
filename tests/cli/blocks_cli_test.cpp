// Analog and source blocks through korvel-run: arithmetic faults, the order
// of readers of feed-through filters, and the control-loop example.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clitesting.h"

namespace {

using namespace clitest;
// A fault the processor flags stops the run with status 2 and the block
// named; no row after the fault is written. exp(1000 t) passes the largest
// double at t = 0.7098.
TEST(BlockFaults, AnOverflowStopsTheRunWithStatusTwo) {
    const Result r = RunCli(TestData("fault_overflow.kvd") + " --every 0.1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Run time error:  floating point overflow in KExp block named \"blowup\""),
              std::string::npos)
        << r.err;
    const auto rows = Rows(r.out);
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR(rows.back()[0], 0.7, 1e-9);
    for (const auto& row : rows) EXPECT_TRUE(std::isfinite(row[1]));
}

// Issue 16: a notch computes its output from the current input, so a reader
// placed before it in the model must still be computed after it.
TEST(FeedThroughFilters, ReadersComeAfterTheFilterWhereverTheyArePlaced) {
    const Result first = RunCli(TestData("notch_reader_first.kvd"));
    const Result last = RunCli(TestData("notch_reader_last.kvd"));
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(last.status, 0) << last.err;
    EXPECT_EQ(first.out, last.out);
    EXPECT_EQ(Rows(first.out).size(), 501u);
}

// A loop closed only through a notch and a subtract has no state to break
// it: the compile refuses it. Through a two-pole low-pass it runs.
TEST(FeedThroughFilters, ALoopThroughANotchIsAlgebraic) {
    const Result notch = RunCli(TestData("notch_loop.kvd"));
    EXPECT_EQ(notch.status, 1);
    EXPECT_NE(notch.err.find("Not all blocks could be ordered."), std::string::npos) << notch.err;
    const Result lowPass = RunCli(TestData("lowpass2_loop.kvd") + " --every 0.05");
    EXPECT_EQ(lowPass.status, 0) << lowPass.err;
}

// The PID example follows its square setpoint: settled before each edge,
// and the hysteresis tells the high half from the low one.
TEST(Examples, PidLoopSettlesOnEachHalfOfTheSquareSetpoint) {
    const Result r = RunCli(Example("pid_loop.kvd").string() + " --every 0.5 --vars r,y,high");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = Rows(r.out);
    ASSERT_EQ(rows.size(), 8u);
    for (const auto& row : rows) {
        const double t = row[0];
        if (std::fabs(t - 1.5) > 0.01 && std::fabs(t - 3.5) > 0.01) continue;
        SCOPED_TRACE(t);
        EXPECT_NEAR(row[2], row[1], 2e-3);  // y settled on r
        EXPECT_EQ(row[3], row[1] > 0 ? 1.0 : 0.0);
    }
}

}  // namespace
