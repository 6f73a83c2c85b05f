// The korvel program's command line, end to end: options that need no
// window answer without a display, and arguments that make no sense are
// refused with a message and a failing status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "app/manual.h"
#include "windowtesting.h"

namespace korvel::testing {
namespace {

struct Ran {
    int status;
    std::string output;
};

// Runs korvel with the arguments and no display, capturing both streams.
Ran RunKorvel(const std::string& arguments) {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= " + std::string(KORVEL_GUI) + " " +
        arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(KorvelProgram, HelpAndVersionNeedNoWindow) {
    Ran help = RunKorvel("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--custom"), std::string::npos);
    Ran version = RunKorvel("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "Korvel " KORVEL_VERSION "\n");
}

TEST(KorvelProgram, NonsenseArgumentsAreRefused) {
    Ran two = RunKorvel("a.kvd b.kvd");
    EXPECT_EQ(two.status, 2);
    EXPECT_NE(two.output.find("one model file at a time"), std::string::npos);
    Ran unknown = RunKorvel("--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("--frobnicate"), std::string::npos);
}

TEST(KorvelProgram, WritesTheManual) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("Manual.htm").toStdString();
    EXPECT_EQ(RunKorvel("--write-manual '" + path + "'").status, 0);
    EXPECT_EQ(ReadFile(path), ManualHtml());
}

}  // namespace
}  // namespace korvel::testing
