// Running korvel-run as a user would, and the files around such runs.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace clitest {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs korvel-run with the arguments (a shell command line); stderr goes to
// `errFile` (by default a file of this process beside the test folders) and
// is kept in `err`.
// `prefix` runs before the runner in the same shell (limits, traps).
inline Result RunCli(const std::string& args, std::string errFile = {},
                     const std::string& prefix = {}) {
    if (errFile.empty())
        errFile = (std::filesystem::temp_directory_path() /
                   ("korvel_cli_stderr_" + std::to_string(::getpid()) + ".txt"))
                      .string();
    std::string command = prefix + "exec " + std::string(KORVEL_RUN) + " " + args + " 2>" + errFile;
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = ReadFile(errFile);
    return r;
}

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// The running test's folder, emptied when the test first asks for it.
inline std::filesystem::path TempDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::temp_directory_path() /
               ("korvel_cli_" + std::string(test->test_suite_name()) + "_" + test->name());
    static std::string lastTest;
    if (lastTest != dir.string()) {
        lastTest = dir.string();
        std::filesystem::remove_all(dir);
    }
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::filesystem::path Example(const std::string& name) {
    return std::filesystem::path(KORVEL_EXAMPLES) / name;
}

// The rows of a CSV table; the first line goes to `header`.
inline std::vector<std::vector<double>> Rows(const std::string& csv, std::string& header) {
    std::istringstream lines(csv);
    std::getline(lines, header);
    std::vector<std::vector<double>> rows;
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string f;
        while (std::getline(fields, f, ',')) row.push_back(std::stod(f));
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<std::vector<double>> Rows(const std::string& csv) {
    std::string header;
    return Rows(csv, header);
}

inline std::string TestData(const std::string& name) {
    return (std::filesystem::path(KORVEL_TEST_DATA) / name).string();
}

inline int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A copy of `source` named `name` in the test's folder, with each text of
// `edits` replaced once.
inline std::filesystem::path Edited(
    const std::filesystem::path& source, const std::string& name,
    const std::vector<std::pair<std::string, std::string>>& edits = {}) {
    std::string text = ReadFile(source);
    for (const auto& [from, to] : edits) {
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    const auto path = TempDir() / name;
    WriteFile(path, text);
    return path;
}

// Model files composed record by record, as the writer lays them out.
class ModelText {
public:
    explicit ModelText(bool custMod) {
        text_ = std::string("1.2,Version\r\n") + (custMod ? "True" : "False") +
                ",CustMod\r\n1,Pages\r\n8,FontSize\r\nPageNames,Start\r\nP,PageName\r\n";
    }
    // A block record; `lines` are its node lines ("5,Input").
    ModelText& Block(const std::string& tag, int id, const std::string& name,
                     const std::vector<std::string>& lines, const std::string& fileName = {}) {
        text_ += tag + ",Start\r\n";
        if (!fileName.empty()) text_ += fileName + ",FileName\r\n";
        text_ += "0,Page\r\n" + std::to_string(100 + 10 * id) + ",X\r\n100,Y\r\n" + name +
                 ",UserString\r\nFalse,HorizSwap\r\nFalse,VertSwap\r\n";
        for (const std::string& line : lines) text_ += line + "\r\n";
        text_ += std::to_string(id) + ",IDNumber\r\n";
        return *this;
    }
    // A wire record without bends (the reader routes it).
    ModelText& Wire(int id, int from, int fromNode, int to, int toNode) {
        text_ += "KWire,Start\r\n0,Page\r\n" + std::to_string(from) + ",StartBlock\r\n" +
                 std::to_string(fromNode) + ",StartBlockNode\r\n" + std::to_string(to) +
                 ",EndBlock\r\n" + std::to_string(toNode) + ",EndBlockNode\r\n" +
                 std::to_string(id) + ",IDNumber\r\n";
        return *this;
    }
    std::string Text() const { return text_ + "FileEnd,Start\r\n"; }

private:
    std::string text_;
};

}  // namespace clitest
