// korvel-run end to end: the executable is run as a user would run it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Runs korvel-run with the arguments; stderr goes to a file next to stdout.
Result RunCli(const std::string& args, const std::string& errFile = "/dev/null") {
    std::string command = std::string(KORVEL_RUN) + " " + args + " 2>" + errFile;
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path TempDir() {
    auto dir = std::filesystem::temp_directory_path() /
               ("korvel_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    return dir;
}

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

TEST(SaveAs, WritesTheModelBackThroughTheWriter) {
    auto dir = TempDir();
    auto in = std::filesystem::path(KORVEL_TEST_DATA) / "time_to_variable.kvd";
    if (!std::filesystem::exists(in)) GTEST_SKIP() << "golden model not present";
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

}  // namespace
