// korvel-run end to end: the executable is run as a user would run it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/clitesting.h"

namespace {

using namespace clitest;

TEST(ListTypes, PrintsEveryTypeOneALineInTypeOrder) {
    Result r = RunCli("--list-types");
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 149u);
    EXPECT_EQ(all.front(), "0\tKLpf1\t1-Pole Low-Pass Filter\tAnalog Filters\t4");
    EXPECT_EQ(all[45], "45\tKCustMod\tCustom Module\tCustom\t0");
    EXPECT_EQ(all.back(), "148\tKExcelStore\tExcel Store\tCOM\t8");
}

// An option takes exactly one value, so the model may follow any option.
// However many module folders are given, the model's own folder is searched
// last.
TEST(Arguments, OptionsTakeOneValueEachAndTheModelsFolderIsAlwaysSearched) {
    EXPECT_EQ(RunCli("--no-such-option").status, 3);
    EXPECT_EQ(RunCli("").status, 3);
    Result missing = RunCli("/no/such/model.kvd --save-as /tmp/x.kvd");
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("Error: Cannot open /no/such/model.kvd"), std::string::npos);
    const std::string osc = Example("oscillator.kvd").string();
    Result r = RunCli("--vars x,v " + osc + " --until 0.001");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Time,x,v\n", 0), 0u) << r.out;
    EXPECT_EQ(RunCli("--until 0.001 " + osc + " --vars v").status, 0);
    EXPECT_EQ(RunCli("--until 0.001 0.002 " + osc).status, 3);

    std::string dirs;
    for (int i = 0; i < 20; ++i) dirs += " --module-dir /nonexistent" + std::to_string(i);
    const std::string model = Example("module_loop.kvd").string();
    EXPECT_EQ(RunCli(model + dirs + " --until 0.001").status, 0);
    Result tooMany = RunCli(model + dirs + " --module-dir /x --until 0.001");
    EXPECT_EQ(tooMany.status, 3);
    EXPECT_NE(tooMany.err.find("At most 20 --module-dir"), std::string::npos);
}

TEST(SaveAs, WritesTheModelBackThroughTheWriter) {
    const std::string in = TestData("time_to_variable.kvd");
    const auto out = TempDir() / "copy.kvd";
    ASSERT_EQ(RunCli(in + " --save-as " + out.string()).status, 0);
    EXPECT_EQ(ReadFile(out), ReadFile(in));

    const auto truncated = TempDir() / "truncated.kvd";
    WriteFile(truncated, "1.2,Version\r\nFalse,CustMod\r\n1,Pages\r\n");
    const auto none = TempDir() / "none.kvd";
    Result r = RunCli(truncated.string() + " --save-as " + none.string());
    EXPECT_EQ(r.status, 3);
    EXPECT_FALSE(std::filesystem::exists(none));
    EXPECT_NE(r.err.find("Unexpected file end"), std::string::npos);
}

// Without --every, one row per solver step, none at time 0.
TEST(RunModel, OneRowPerStep) {
    std::string header;
    auto rows = Rows(RunCli(Example("oscillator.kvd").string() + " --until 0.01 --vars v").out,
                     header);
    EXPECT_EQ(header, "Time,v");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_NEAR(rows.front()[0], 0.001, 1e-15);
}

TEST(RunModel, AModuleLoopRunsExactlyLikeTheSameLoopDrawnFlat) {
    const std::string args = " --until 0.5 --every 0.1 --vars y";
    Result flat = RunCli(Example("pi_loop.kvd").string() + args);
    Result module = RunCli(Example("module_loop.kvd").string() + args);
    ASSERT_EQ(flat.status, 0);
    ASSERT_EQ(module.status, 0);
    EXPECT_EQ(flat.out, module.out);
    EXPECT_EQ(Lines(flat.out), 6);
}

TEST(RunModel, ExitStatusTellsHowTheRunEnded) {
    const std::string osc = Example("oscillator.kvd").string();
    auto edited = [](const std::string& from, const std::string& to) {
        static int edits = 0;
        const std::string name = "edited" + std::to_string(++edits) + ".kvd";
        return Edited(Example("oscillator.kvd"), name, {{from, to}}).string();
    };
    struct Case {
        const char* name;
        std::string args;
        int status;
        const char* says;
    };
    const Case kCases[] = {
        {"check only", osc + " --check", 0, "Compile Successful!"},
        {"Time Increment ends the run", osc, 0, "Time Increment"},
        {"unknown variable", osc + " --until 1 --vars x,nope", 3, "no variable named \"nope\""},
        {"bad --every", osc + " --until 1 --every 0", 3, "--every"},
        {"nothing ends the run", edited("10,Time Increment", "0,Time Increment"), 3, "--until"},
        {"no scope", edited("KScope,Start", "KLabel,Start") + " --until 1", 1,
         "at least one scope"},
        {"h of zero", edited("0.001,h", "0,h") + " --until 1", 2,
         "node \"h\" must be a finite number greater than 0"},
        {"h not a number", edited("0.001,h", "nan,h") + " --until 1", 2, "node \"h\""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.status == 2) {
            EXPECT_EQ(Lines(r.out), 1);  // the header only
        }
    }
}

// The step that runs past the Solver's "Time Increment" is completed before
// the run ends, so it is the last row; nothing after it.
TEST(RunModel, TheStepThatReachesTheTimeIncrementIsTheLastRow) {
    auto model = Edited(Example("oscillator.kvd"), "short.kvd",
                        {{"10,Time Increment", "0.005,Time Increment"}});
    Result r = RunCli(model.string());
    ASSERT_EQ(r.status, 0);
    auto rows = Rows(r.out);
    ASSERT_GE(rows.size(), 6u);
    const double last = rows.back()[0];
    EXPECT_GT(last, 0.0055);
    EXPECT_LT(last, 0.0075);
    EXPECT_NEAR(rows.back()[1], std::cos(last), 1e-12);
}

// Every bundled design compiles and runs headless.
TEST(RunModel, EveryBundledExampleRuns) {
    int designs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_EXAMPLES)) {
        if (entry.path().extension() != ".kvd") continue;
        SCOPED_TRACE(entry.path().string());
        ++designs;
        Result r = RunCli(entry.path().string() + " --until 0.01");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Time,", 0), 0u);
        EXPECT_GT(Lines(r.out), 1);
    }
    EXPECT_GE(designs, 4);
}

}  // namespace
