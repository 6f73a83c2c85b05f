// korvel-run --set and a Stop block ending a headless run, end to end.
#include <gtest/gtest.h>

#include <string>

#include "clitesting.h"

namespace {

using namespace clitest;

// Runs korvel-run on the bundled stop_on_level example with more arguments.
Result RunStopOnLevel(const std::string& args) {
    return RunCli(Example("stop_on_level.kvd").string() + " " + args);
}

// The time of the last row written.
double LastTime(const std::string& csv) {
    const std::size_t end = csv.find_last_not_of('\n');
    const std::size_t start = csv.rfind('\n', end);
    return std::stod(csv.substr(start + 1));
}

// The ramp rises at "slope" per second; the Stop block ends the run as it
// passes 1, so the last completed step starts just before t = 1 / slope.
TEST(LiveSettings, AStopBlockEndsTheRunAndSetChangesWhen) {
    const struct {
        const char* args;
        double stopsAt;
    } cases[] = {{"", 0.5}, {"--set slope=4", 0.25}, {"--set slope=4 --set slope=8", 0.125}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Result r = RunStopOnLevel(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.err.find("Note: stop() executed from KStop block named \"Stop\" on sheet 1"),
                  std::string::npos);
        const double last = LastTime(r.out);
        EXPECT_GT(last, c.stopsAt - 0.0201);
        EXPECT_LT(last, c.stopsAt);
    }
}

TEST(LiveSettings, BadSettingsAreStatusThreeWithAMessage) {
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"--set nope=2", "Error: --set nope: the model has no block named \"nope\"."},
        {"--set level=2",
         "Error: --set level: the block is not a live constant, string constant, push button "
         "or live switch."},
        {"--set slope=fast", "Error: --set slope: \"fast\" is not a number."},
        {"--set slope", "Error: --set needs NAME=VALUE (got \"slope\")."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Result r = RunStopOnLevel(c.args);
        EXPECT_EQ(r.status, 3);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

}  // namespace
