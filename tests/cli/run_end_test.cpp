// When korvel-run writes rows and when it stops: --every rows land on their
// multiples whatever the rounding of the step times, and a run nothing can
// end is refused before it starts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli/clitesting.h"

namespace {

using namespace clitest;
namespace fs = std::filesystem;

// The oscillator runs 10 s (its Time Increment) at h = 0.001: a row at each
// multiple of 0.5, at the step that ends there, and no row past the end. An
// interval below the step writes every step; the row index is computed, so a
// tiny interval costs nothing.
TEST(Every, RowsLandOnTheirMultiples) {
    Result r = RunCli(Example("oscillator.kvd").string() + " --every 0.5");
    ASSERT_EQ(r.status, 0);
    std::string header;
    auto rows = Rows(r.out, header);
    EXPECT_EQ(header, "Time,x,v");
    ASSERT_EQ(rows.size(), 20u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // RK4 at h = 1e-3: the error over ten seconds stays below 1e-9.
        EXPECT_NEAR(rows[i][0], 0.5 * static_cast<double>(i + 1), 1e-9) << i;
        EXPECT_NEAR(rows[i][1], std::cos(rows[i][0]), 1e-9);
        EXPECT_NEAR(rows[i][2], -std::sin(rows[i][0]), 1e-9);
    }
    rows = Rows(RunCli(Example("oscillator.kvd").string() + " --every 1e-15 --until 0.003").out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(rows[2][0], 0.003, 1e-15);
}

// A step of 2^31 against an interval of 0.01: each step passes many
// multiples and writes one row; the run ends in a handful of steps.
TEST(Every, AHugeStepFinishes) {
    fs::path model = Edited(Example("oscillator.kvd"), "huge.kvd", {{"0.001,h", "2147483648,h"}});
    Result r = RunCli(model.string() + " --every 0.01 --until 1e10 --vars x");
    EXPECT_TRUE(r.status == 0 || r.status == 2) << r.status;
    EXPECT_LE(Lines(r.out), 1 + 5);
}

// A Time Increment wired from the model (here to a constant 0) is whatever
// the model makes it while running: only --until can promise an end.
TEST(RunEnd, AWiredTimeIncrementNeedsUntil) {
    const std::string constant =
        "KSimpleConstant,Start\r\n0,Page\r\n0,X\r\n400,Y\r\nzero,UserString\r\nFalse,HorizSwap\r\n"
        "False,VertSwap\r\n0,Input\r\n90,IDNumber\r\nKScope,Start";
    const std::string wire =
        "KWire,Start\r\n0,Page\r\n90,StartBlock\r\n0,StartBlockNode\r\n0,EndBlock\r\n"
        "1,EndBlockNode\r\n91,IDNumber\r\nFileEnd,Start";
    fs::path model = Edited(Example("oscillator.kvd"), "wired.kvd",
                            {{"KScope,Start", constant}, {"FileEnd,Start", wire}});
    Result r = RunCli(model.string());
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("give --until T"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(model.string() + " --until 0.002").status, 0);
}

// Out of memory is a message and an exit status, never an abort: a chain of
// 100 000 blocks cannot even be read in 60 MB of address space.
TEST(RunEnd, OutOfMemoryIsAMessageAndStatusThree) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#else
    constexpr int kChain = 100000;
    ModelText m(false);
    m.Block("KSolver", 0, "Solver", {"0.001,h"}).Block("KTime", 1, "t", {});
    for (int i = 0; i < kChain; ++i) m.Block("KMinusX", 2 + i, "", {});
    m.Block("KVariable", kChain + 2, "y", {}).Block("KScope", kChain + 3, "Scope", {});
    for (int i = 0; i <= kChain; ++i) m.Wire(kChain + 10 + i, 1 + i, i == 0 ? 0 : 1, 2 + i, 0);
    fs::path model = TempDir() / "chain.kvd";
    WriteFile(model, m.Text());
    fs::path err = TempDir() / "err.txt";
    std::string command = "(ulimit -v 60000; exec " + std::string(KORVEL_RUN) + " " +
                          model.string() + " --until 0.001 >/dev/null 2>" + err.string() + ")";
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << raw;
    EXPECT_EQ(WEXITSTATUS(raw), 3);
    EXPECT_NE(ReadFile(err).find("Out of memory while reading"), std::string::npos)
        << ReadFile(err);
#endif
}

}  // namespace
