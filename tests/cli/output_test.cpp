// What korvel-run does to the files it writes: --out takes the place of an
// existing file only when the run wrote its rows, never follows a stray
// temporary name, never overwrites its own inputs, and a failed write is a
// failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/clitesting.h"

namespace {

using namespace clitest;
namespace fs = std::filesystem;

fs::path Oscillator(const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& edits = {}) {
    return Edited(Example("oscillator.kvd"), name, edits);
}

// Every file the folder holds besides the ones named.
std::vector<std::string> Others(const fs::path& dir, const std::vector<std::string>& known) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) names.push_back(name);
    }
    return names;
}

// Each exit status against an existing FILE, with a link planted where the
// runner once put its partial file: 0 and 2 replace FILE with the rows
// written, 1 and 3 leave it as it was, and the link's file is never touched.
TEST(Output, ExistingFileIsReplacedOnlyByARunThatWroteRows) {
    fs::path dir = TempDir();
    fs::path good = Oscillator("good.kvd");
    fs::path noScope = Oscillator("noscope.kvd", {{"KScope,Start", "KLabel,Start"}});
    fs::path zeroStep = Oscillator("zerostep.kvd", {{"0.001,h", "0,h"}});
    struct Case {
        const char* name;
        std::string args;
        int status;
        int lines;  // in FILE afterwards; 0: FILE unchanged
    };
    const Case kCases[] = {
        {"run", good.string() + " --until 0.003", 0, 4},
        {"does not compile", noScope.string() + " --until 1", 1, 0},
        {"run-time error", zeroStep.string() + " --until 1", 2, 1},
        {"bad --vars", good.string() + " --until 1 --vars nope", 3, 0},
        {"missing model", (dir / "missing.kvd").string() + " --until 1", 3, 0},
    };
    const std::string old = "old,table\n1,2\n";
    const std::vector<std::string> known = {"good.kvd", "noscope.kvd",     "zerostep.kvd",
                                            "out.csv",  "out.csv.partial", "victim.txt"};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fs::path out = dir / "out.csv";
        WriteFile(out, old);
        fs::remove(dir / "out.csv.partial");
        WriteFile(dir / "victim.txt", "victim");
        fs::create_symlink(dir / "victim.txt", dir / "out.csv.partial");
        Result r = RunCli(c.args + " --out " + out.string());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, "");
        std::string now = ReadFile(out);
        if (c.lines == 0) {
            EXPECT_EQ(now, old);
        } else {
            EXPECT_EQ(Lines(now), c.lines) << now;
            EXPECT_EQ(now.rfind("Time,x,v\n", 0), 0u);
        }
        EXPECT_EQ(ReadFile(dir / "victim.txt"), "victim");
        EXPECT_EQ(Others(dir, known), std::vector<std::string>{});
    }
    // A run that never started creates no file.
    EXPECT_EQ(RunCli(noScope.string() + " --until 1 --out " + (dir / "new.csv").string()).status,
              1);
    EXPECT_EQ(Others(dir, known), std::vector<std::string>{});
}

// The model, a module it uses, or one nested in that module: each refused
// as a target of --out and --save-as, and left byte for byte.
TEST(Output, TheModelAndItsModulesAreNeverTargets) {
    fs::path dir = TempDir();
    for (const char* name : {"module_loop.kvd", "pi_module.kvc"})
        fs::copy_file(Example(name), dir / name);
    fs::path model = dir / "module_loop.kvd";
    const std::string modelText = ReadFile(model);
    const std::string moduleText = ReadFile(dir / "pi_module.kvc");
    fs::create_symlink(dir / "module_loop.kvd", dir / "alias.kvd");
    for (const char* target : {"module_loop.kvd", "alias.kvd", "pi_module.kvc"}) {
        for (const char* option : {" --until 0.001 --out ", " --save-as "}) {
            SCOPED_TRACE(std::string(option) + target);
            Result r = RunCli(model.string() + option + (dir / target).string());
            EXPECT_EQ(r.status, 3);
            EXPECT_NE(r.err.find("it would be overwritten"), std::string::npos) << r.err;
            EXPECT_EQ(ReadFile(model), modelText);
            EXPECT_EQ(ReadFile(dir / "pi_module.kvc"), moduleText);
        }
    }
}

TEST(Output, TargetsThatAreNoPlainWritableFileAreRefused) {
    fs::path dir = TempDir();
    fs::path model = Oscillator("osc.kvd");
    std::string err;
    auto run = [&](const std::string& target) {
        Result r = RunCli(model.string() + " --until 0.002 --out " + target);
        err = r.err;
        return r.status;
    };
    // A link is followed: the link stays, the file it leads to gets the rows.
    WriteFile(dir / "real.csv", "old");
    fs::create_symlink(dir / "real.csv", dir / "link.csv");
    EXPECT_EQ(run((dir / "link.csv").string()), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_EQ(Lines(ReadFile(dir / "real.csv")), 3);
    // Read-only, a FIFO, a device, a folder, no name: refused, untouched.
    WriteFile(dir / "ro.csv", "old");
    fs::permissions(dir / "ro.csv", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(run((dir / "ro.csv").string()), 3);
    EXPECT_EQ(ReadFile(dir / "ro.csv"), "old");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(run((dir / "fifo").string()), 3);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(run("/dev/full"), 3);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(run(dir.string()), 3);
    EXPECT_EQ(run("''"), 3);
    EXPECT_NE(err.find("--out needs a file name"), std::string::npos);
    EXPECT_EQ(RunCli(model.string() + " --save-as ''").status, 3);
}

TEST(Output, AFailedWriteToStandardOutputIsAFailure) {
    fs::path model = Oscillator("osc.kvd");
    // The last: everything fits the stream's buffer until the end.
    for (const char* args :
         {" --until 1 >/dev/full", " --until 1 >&-", " --until 0.001 >/dev/full"}) {
        SCOPED_TRACE(args);
        Result r = RunCli(model.string() + args);
        EXPECT_EQ(r.status, 3);
        EXPECT_NE(r.err.find("Cannot write to standard output"), std::string::npos) << r.err;
    }
}

}  // namespace
