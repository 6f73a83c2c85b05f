// korvel-run end to end: the executable is run as a user would run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
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

TEST(Arguments, BadArgumentsAndUnreadableFilesAreStatusThree) {
    EXPECT_EQ(RunCli("--no-such-option").status, 3);
    EXPECT_EQ(RunCli("").status, 3);
    auto err = TempDir() / "err.txt";
    EXPECT_EQ(RunCli("/no/such/model.kvd --save-as /tmp/x.kvd", err.string()).status, 3);
    EXPECT_NE(ReadFile(err).find("Error: Cannot open /no/such/model.kvd"), std::string::npos);
}

// An option takes exactly one value, so the model may follow any option.
TEST(Arguments, OptionsTakeOneValueEach) {
    std::string osc = Example("oscillator.kvd").string();
    Result r = RunCli("--vars x,v " + osc + " --until 0.001");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Time,x,v\n", 0), 0u) << r.out;
    EXPECT_EQ(RunCli("--until 0.001 " + osc + " --vars v").status, 0);
    EXPECT_EQ(RunCli("--until 0.001 0.002 " + osc).status, 3);
}

// However many folders are given, the model's own folder is searched last.
TEST(Arguments, TheModelsFolderIsSearchedAfterTwentyModuleFolders) {
    std::string dirs;
    for (int i = 0; i < 20; ++i) dirs += " --module-dir /nonexistent" + std::to_string(i);
    std::string model = Example("module_loop.kvd").string();
    EXPECT_EQ(RunCli(model + dirs + " --until 0.001").status, 0);
    auto err = TempDir() / "err.txt";
    EXPECT_EQ(RunCli(model + dirs + " --module-dir /x --until 0.001", err.string()).status, 3);
    EXPECT_NE(ReadFile(err).find("At most 20 --module-dir"), std::string::npos);
}

TEST(SaveAs, WritesTheModelBackThroughTheWriter) {
    auto dir = TempDir();
    auto in = std::filesystem::path(KORVEL_TEST_DATA) / "time_to_variable.kvd";
    ASSERT_TRUE(std::filesystem::exists(in)) << "golden model missing: " << in;
    auto out = dir / "copy.kvd";
    std::filesystem::remove(out);
    ASSERT_EQ(RunCli(in.string() + " --save-as " + out.string()).status, 0);
    EXPECT_EQ(ReadFile(out), ReadFile(in));
    // Saving the copy again changes nothing: the writer is stable.
    auto again = dir / "again.kvd";
    std::filesystem::remove(again);
    ASSERT_EQ(RunCli(out.string() + " --save-as " + again.string()).status, 0);
    EXPECT_EQ(ReadFile(again), ReadFile(out));
}

TEST(SaveAs, ATruncatedModelIsStatusThreeAndWritesNothing) {
    auto dir = TempDir();
    auto in = dir / "truncated.kvd";
    std::ofstream(in, std::ios::binary) << "1.2,Version\r\nFalse,CustMod\r\n1,Pages\r\n";
    auto out = dir / "out.kvd";
    std::filesystem::remove(out);
    auto err = dir / "err.txt";
    EXPECT_EQ(RunCli(in.string() + " --save-as " + out.string(), err.string()).status, 3);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_NE(ReadFile(err).find("Unexpected file end"), std::string::npos);
}

// The oscillator example with one line of its text replaced.
std::filesystem::path EditedOscillator(const std::string& from, const std::string& to) {
    std::string text = ReadFile(std::filesystem::path(KORVEL_EXAMPLES) / "oscillator.kvd");
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    static int edits = 0;
    auto path = TempDir() / ("edited" + std::to_string(++edits) + ".kvd");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(RunModel, OscillatorFollowsCosineAndSine) {
    std::string osc = (std::filesystem::path(KORVEL_EXAMPLES) / "oscillator.kvd").string();
    Result r = RunCli(osc + " --until 1 --every 0.25");
    ASSERT_EQ(r.status, 0);
    std::string header;
    auto rows = Rows(r.out, header);
    EXPECT_EQ(header, "Time,x,v");
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) {
        // RK4 at h = 1e-3: the error over a second is far below 1e-9.
        EXPECT_NEAR(row[1], std::cos(row[0]), 1e-9);
        EXPECT_NEAR(row[2], -std::sin(row[0]), 1e-9);
    }
    // Without --every, one row per solver step, none at time 0.
    Result steps = RunCli(osc + " --until 0.01 --vars v");
    auto stepRows = Rows(steps.out, header);
    EXPECT_EQ(header, "Time,v");
    ASSERT_EQ(stepRows.size(), 10u);
    EXPECT_NEAR(stepRows.front()[0], 0.001, 1e-15);
}

TEST(RunModel, AModuleLoopRunsExactlyLikeTheSameLoopDrawnFlat) {
    std::string dir = KORVEL_EXAMPLES;
    Result flat = RunCli(dir + "/pi_loop.kvd --until 0.5 --every 0.1 --vars y");
    Result module = RunCli(dir + "/module_loop.kvd --until 0.5 --every 0.1 --vars y");
    ASSERT_EQ(flat.status, 0);
    ASSERT_EQ(module.status, 0);
    EXPECT_EQ(flat.out, module.out);
    EXPECT_EQ(std::count(flat.out.begin(), flat.out.end(), '\n'), 6);
}

TEST(RunModel, ExitStatusTellsHowTheRunEnded) {
    auto err = TempDir() / "err.txt";
    std::string osc = (std::filesystem::path(KORVEL_EXAMPLES) / "oscillator.kvd").string();
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
        {"nothing ends the run",
         EditedOscillator("10,Time Increment", "0,Time Increment").string(), 3, "--until"},
        {"no scope", EditedOscillator("KScope,Start", "KLabel,Start").string() + " --until 1", 1,
         "at least one scope"},
        {"h of zero", EditedOscillator("0.001,h", "0,h").string() + " --until 1", 2,
         "node \"h\" must be a finite number greater than 0"},
        {"h not a number", EditedOscillator("0.001,h", "nan,h").string() + " --until 1", 2,
         "node \"h\""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Result r = RunCli(c.args, err.string());
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(ReadFile(err).find(c.says), std::string::npos) << ReadFile(err);
        if (c.status == 2) {
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);  // the header only
        }
    }
}

// The step that runs past the Solver's "Time Increment" is completed before
// the run ends, so it is the last row; nothing after it.
TEST(RunModel, TheStepThatReachesTheTimeIncrementIsTheLastRow) {
    auto model = EditedOscillator("10,Time Increment", "0.005,Time Increment");
    Result r = RunCli(model.string());
    ASSERT_EQ(r.status, 0);
    std::string header;
    auto rows = Rows(r.out, header);
    ASSERT_GE(rows.size(), 6u);
    double last = rows.back()[0];
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
        EXPECT_GT(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    }
    EXPECT_GE(designs, 4);
}

}  // namespace
