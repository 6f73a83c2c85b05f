// Custom modules that hold their own Digital Controller: each instance
// samples at its own controller's period, end to end through korvel-run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "clitesting.h"

namespace {

using namespace clitest;

// A module: "in" sampled by its own controller, whose TSample is the
// module input "period".
std::string Sampler() {
    return ModelText(true)
        .Block("KCustInput", 1, "in", {"0,Input", "0,Edge", "2,Position", "0,Initial Value"})
        .Block("KCustInput", 2, "period",
               {"0,Input", "0,Edge", "4,Position", "0.001,Initial Value"})
        .Block("KDctl", 3, "clock", {})
        .Block("KDSampleHold", 4, "hold", {"0,Input", "0,Output", "3,Controller"})
        .Block("KCustOutput", 5, "out", {"0,Output", "2,Edge", "2,Position"})
        .Wire(6, 1, 0, 4, 0)
        .Wire(7, 2, 0, 3, 0)
        .Wire(8, 4, 1, 5, 0)
        .Text();
}

// Two instances of the module on a ramp of time, with periods 0.02 and 0.05;
// the Solver's h is 0.01 and its "Time Increment" 0.2.
std::string Design() {
    return ModelText(false)
        .Block("KSolver", 1, "Solver", {"0.01,h", "0.2,Time Increment"})
        .Block("KTime", 2, "", {})
        .Block("KSimpleConstant", 3, "fast period", {"0.02,Input"})
        .Block("KSimpleConstant", 4, "slow period", {"0.05,Input"})
        .Block("KCustMod", 5, "A", {"0,in", "0,period", "0,out"}, "sampler.kvc")
        .Block("KCustMod", 6, "B", {"0,in", "0,period", "0,out"}, "sampler.kvc")
        .Block("KVariable", 7, "fast", {})
        .Block("KVariable", 8, "slow", {})
        .Block("KScope", 9, "Scope", {})
        .Wire(10, 2, 0, 5, 0)
        .Wire(11, 2, 0, 6, 0)
        .Wire(12, 3, 0, 5, 1)
        .Wire(13, 4, 0, 6, 1)
        .Wire(14, 5, 2, 7, 0)
        .Wire(15, 6, 2, 8, 0)
        .Text();
}

// The last sample instant at or before t of a controller whose wired period
// becomes known after the first evaluation: samples at 0.01, then every period.
double LastSample(double t, double period) {
    return 0.01 + std::floor((t - 0.01) / period + 1e-6) * period;
}

TEST(DigitalModules, EachInstanceSamplesAtItsOwnControllersPeriod) {
    const auto dir = TempDir();
    WriteFile(dir / "sampler.kvc", Sampler());
    WriteFile(dir / "design.kvd", Design());
    const Result r = RunCli((dir / "design.kvd").string() + " --every 0.01");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header;
    const auto rows = Rows(r.out, header);
    EXPECT_EQ(header, "Time,fast,slow");
    EXPECT_GE(rows.size(), 15u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_NEAR(row[1], LastSample(row[0], 0.02), 1e-9);
        EXPECT_NEAR(row[2], LastSample(row[0], 0.05), 1e-9);
    }
}

}  // namespace
