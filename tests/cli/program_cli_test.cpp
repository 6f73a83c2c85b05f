// Program blocks end to end: small models written as files and run through
// korvel-run as a user would.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clitesting.h"

namespace {

using namespace clitest;

// Writes the model and runs korvel-run on it with the arguments.
Result RunModelFile(const std::string& model, const std::string& args) {
    static int count = 0;
    const auto path = TempDir() / ("model" + std::to_string(++count) + ".kvd");
    WriteFile(path, model);
    return RunCli(path.string() + " " + args);
}

// A design with a Solver (h = 1 ms, no time limit) and a Scope; node lines
// not given keep their defaults.
ModelText Design() {
    ModelText m(false);
    m.Block("KSolver", 0, "Solver", {"0.001,h", "0,Time Increment"});
    m.Block("KScope", 1, "Scope", {});
    return m;
}

// A program block (2x2 unless told); the text is escaped as files store it.
void AddProgram(ModelText& m, int id, const std::string& name, const std::string& program,
                const std::string& tag = "KProgram2i2o") {
    std::string escaped;
    for (char c : program) escaped += c == '\n' ? '\x01' : c == '\r' ? '\x02' : c == ',' ? '\x03' : c;
    m.Block(tag, id, name, {escaped + ",Program"});
}

// Node numbers of the blocks used below.
constexpr int kTimeOut = 0;
constexpr int kProgramIn1 = 0, kProgramOut1 = 2, kProgramOut2 = 3;
constexpr int kVariableIn = 0;
constexpr int kIntIn = 0, kIntOut = 1;

// Clock -> program -> Variable "y".
std::string ClockProgram(const std::string& program) {
    ModelText m = Design();
    m.Block("KTime", 2, "Clock", {});
    AddProgram(m, 3, "P", program);
    m.Block("KVariable", 4, "y", {});
    m.Wire(10, 2, kTimeOut, 3, kProgramIn1);
    m.Wire(11, 3, kProgramOut1, 4, kVariableIn);
    return m.Text();
}

// stop() ends the run with status 0 in the step where it fires: at the
// evaluation of t = 0.0055, the middle of the sixth step. A math error ends
// it with status 2 before the step in which it happens.
TEST(ProgramRun, StopAndMathErrorsEndTheRun) {
    struct Case {
        const char* program;
        int status;
        const char* says;
        std::size_t rows;
    };
    const Case kCases[] = {
        {"if (t() > 0.0052) stop(); Output1 = t();", 0,
         "stop() executed from KProgram2i2o block named \"P\" on sheet 1", 5},
        {"Output1 = log(0.0054 - Input1);", 2,
         "Run time error:  Domain error in function\"log()\" in KProgram2i2o block named \"P\"",
         5},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.program);
        Result r = RunModelFile(ClockProgram(c.program), "--until 1");
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        const auto rows = Rows(r.out);
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_NEAR(rows.back()[0], 0.005, 1e-12);
    }
}

// Messages of the language come through with their line in the file's text.
TEST(ProgramRun, TextsThatDoNotCompileAreStatusOne) {
    struct Case {
        const char* program;
        const char* message;
    };
    const Case kCases[] = {
        {"Output1 = 1;\nif (Input1 > 0.5) { Output2 = 2;",
         "Error: Unmatched '{' on line 2 of Program Block P"},
        {"Output1 = 1e+5;", "Error 101: Could not convert \"1e\" on Line 1 to a double."},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.program);
        Result r = RunModelFile(ClockProgram(c.program), "--until 1");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// A program of 6 000 characters and 300 statements runs whole.
TEST(ProgramRun, LongProgramsAreNeverCut) {
    std::string program;
    for (int i = 0; i < 299; ++i) program += "Output2 = Output2 + 1;  // one more, please\n";
    program += "Output1 = Output2 * 10 + Input1 * 0;";
    ASSERT_GE(program.size(), 6000u);
    Result r = RunModelFile(ClockProgram(program), "--until 0.002");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = Rows(r.out);
    ASSERT_EQ(rows.size(), 2u);
    // Output2 grows by 299 at each of the four evaluations of a step.
    EXPECT_EQ(rows[0][1], 4 * 299 * 10);
    EXPECT_EQ(rows[1][1], 8 * 299 * 10);
}

// The program's output feeds an integrator: with the program placed before
// or after the integrator in the file, the ordering runs the program first,
// so the integral of t^2 is t^3 / 3 to the solver's accuracy, and both files
// give the same rows.
TEST(ProgramRun, ReadersOfAProgramOutputRunAfterTheProgram) {
    auto model = [](bool programFirst) {
        ModelText m = Design();
        if (programFirst) AddProgram(m, 2, "P", "Output1 = t() * t(); Output2 = 2 * Input1;");
        m.Block("KInt", 3, "I", {});
        m.Block("KVariable", 4, "x", {});
        m.Block("KVariable", 5, "z", {});
        if (!programFirst) AddProgram(m, 2, "P", "Output1 = t() * t(); Output2 = 2 * Input1;");
        m.Wire(10, 2, kProgramOut1, 3, kIntIn);
        m.Wire(11, 3, kIntOut, 4, kVariableIn);
        m.Wire(12, 3, kIntOut, 2, kProgramIn1);
        m.Wire(13, 2, kProgramOut2, 5, kVariableIn);
        return m.Text();
    };
    Result first = RunModelFile(model(true), "--until 1 --every 0.25");
    Result last = RunModelFile(model(false), "--until 1 --every 0.25");
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(last.status, 0) << last.err;
    EXPECT_EQ(first.out, last.out);
    const auto rows = Rows(first.out);
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) {
        const double t = row[0];
        EXPECT_NEAR(row[1], t * t * t / 3, 1e-9) << t;
        EXPECT_NEAR(row[2], 2 * t * t * t / 3, 1e-9) << t;
    }
}

}  // namespace
