// Program texts and the values they must produce; broken texts and their
// exact messages. Expected values are worked by hand from the language's
// precedence and type rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "program/parser.h"
#include "programtesting.h"

namespace korvel::test {
namespace {

// Expected values in declaration order after the text: Output1, then (all
// default 0) Input1, Input2, Output2.
struct ValueCase {
    const char* text;
    double output1;
    double input1 = 0;
    double input2 = 0;
    double output2 = 0;
};

TEST(Program, ValuesFollowPrecedenceTypesAndBranches) {
    const char* chain =
        "Output2 = Output2 + 1;\n"
        "if (Input1 > 0) Output1 = 1;\n"
        "else if (Input1 < 0) Output1 = -1;\n"
        "else Output1 = 0;";
    const char* braces =
        "if (Input1 > 0) { Output1 = 1; Output2 = 2; } else Output1 = 5; Output3 = 7;";
    // The "else" belongs to the line before it: the outer if.
    const char* dangling = "if (Input1 > 0) if (Input2 > 0) Output1 = 1; else Output1 = 2;";
    const char* nested =
        "if (Input1 > 0) { if (Input2 > 0) { Output1 = 1; } else { Output1 = 2; } }\n"
        "else { Output2 = 3; { Output2 = Output2 + 1; } }";
    const ValueCase kCases[] = {
        {"Output1 = Input1 * 2 + 1;", 7, 3},
        {"Output1 = 7 / 2;", 3},  // int division
        {"Output1 = 7.0 / 2;", 3.5},
        {"Output1 = Input1 / 2;", 3.5, 7},  // variables are doubles
        {"Output1 = -7 % 2;", -1},          // sign of the left operand
        {"Output1 = 2.7 * 1;", 2.7},
        {"Output1 = 1 + 2 * 3 - 4 / 2;", 5},
        {"Output1 = 10 - 4 - 3;", 3},  // left-associative
        {"Output1 = 64 / 4 / 2;", 8},
        {"Output1 = (1 + 2) * 3;", 9},
        {"Output1 = ((2));", 2},
        {"Output1 = 2 + 7 % 4;", 1},  // % binds looser: (2 + 7) % 4
        {"Output1 = 7 % 4 * 2;", 7},  // 7 % (4 * 2)
        {"Output1 = -Input1 * 2;", -6, 3},
        {"Output1 = Input1 * -2;", -6, 3},
        {"Output1 = 2 - -3;", 5},
        {"Output1 = -(2 + 3) * 2;", -10},
        {"Output1 = 2147483647 + 1;", -2147483648.0},  // ints wrap
        {"Output1 = (-2147483647 - 1) / -1;", -2147483648.0},
        {"Output1 = (1 < 2) + (3 < 4);", 2},
        {"Output1 = true + true;", 2},
        {"Output1 = 1e-3 * 1000 + 5. + 5e3;", 5006},
        {"Output1 = sqrt(16) + fabs(-2) * 3;", 10},
        {"Output1 = max(2, 3) + min(2, 3) * 10;", 23},
        {"Output1 = atan2(1, 0);", 0},
        {"Output1 = atan2(0, 0);", 0},
        {"Output1 = floor(-2.5) + ceil(2.1) * 10;", 27},
        {"Output1 = Output2 = 5;", 5, 0, 0, 5},
        {"Input1 = 4; Output1 = Input1 * Input1;", 16},
        {"Output1 = 1; ; Output1 = Output1 + 1;", 2},
        {"", 0},
        {"/* nothing */", 0},
        // Comparisons and logic.
        {"Output1 = 1 < 2;", 1},
        {"Output1 = 2 > 2;", 0},
        // "<=" and ">=" hold for equal operands (int and double).
        {"Output1 = 3 <= 3;", 1},
        {"Output1 = 3 >= 3;", 1},
        {"Output1 = Input1 <= Input1;", 1, 0.1},
        {"Output1 = Input1 >= Input1;", 1, 0.1},
        {"Output1 = 4 <= 3;", 0},
        {"Output1 = 2 >= 3;", 0},
        {"Output1 = 2.5 <= 3;", 1},
        {"Output1 = 2 == 2.0;", 1},
        {"Output1 = 1 != 1;", 0},
        // "!" once read its operand as if it were the left of a binary operator
        // (found by the fuzzer; AddressSanitizer shows it).
        {"Output1 = !1 > 2;", 1},  // !(1 > 2)
        {"Output1 = 1 > 2 || 2 > 1 && 0 > 1;", 0},
        {"Output1 = 2 > 1 || 1 > 2 && 0 > 1;", 1},  // || binds loosest
        {"Output1 = !(1 < 2) || !false;", 1},
        {"Output1 = Input1 + 1 > 2 * Input1;", 1, 0.5},  // arithmetic first
        // Exactly one branch of a chain runs.
        {chain, 1, 2, 0, 1},
        {chain, -1, -2, 0, 1},
        {chain, 0, 0, 0, 1},
        {braces, 1, 1, 0, 2},
        {braces, 5, -1, 0, 0},
        {dangling, 1, 1, 1},
        {dangling, 0, 1, -1},
        {dangling, 2, -1, 1},
        {nested, 1, 1, 1},
        {nested, 2, 1, -1},
        {nested, 0, -1, 0, 4},
    };
    for (const ValueCase& c : kCases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.input1) + ", " +
                     std::to_string(c.input2));
        ProgramHarness h;
        h.in[0] = c.input1;
        h.in[1] = c.input2;
        EXPECT_EQ(h.Run(c.text), "");
        EXPECT_EQ(h.out[0], c.output1);
        EXPECT_EQ(h.out[1], c.output2);
    }
}

// An if on a comparison of doubles jumps on the comparison itself; it must
// decide exactly as the comparison's value does, at equality and for values
// that are not numbers.
TEST(Program, IfConditionsDecideAsTheirComparisons) {
    const double nan = std::nan("");
    struct Case {
        const char* op;
        double a, b;
        double holds;
    };
    const Case kCases[] = {
        {">", 2, 1, 1},    {">", 1, 1, 0},      {">", nan, 1, 0},    {"<", 1, 2, 1},
        {"<", 1, 1, 0},    {"<", nan, 1, 0},    {">=", 1, 1, 1},     {">=", 0, 1, 0},
        {">=", nan, 1, 0}, {"<=", 1, 1, 1},     {"<=", 2, 1, 0},     {"<=", 1, nan, 0},
        {"==", 1, 1, 1},   {"==", 1, 2, 0},     {"==", nan, nan, 0}, {"!=", 1, 2, 1},
        {"!=", 1, 1, 0},   {"!=", nan, nan, 1},
    };
    for (const Case& c : kCases) {
        const std::string op = c.op;
        SCOPED_TRACE(op + " " + std::to_string(c.a) + " " + std::to_string(c.b));
        ProgramHarness h;
        h.in[0] = c.a;
        h.in[1] = c.b;
        EXPECT_EQ(h.Run("if (Input1 " + op +
                        " Input2) Output1 = 1; else Output1 = 0;\n"
                        "Output2 = Input1 " +
                        op + " Input2;"),
                  "");
        EXPECT_EQ(h.out[0], c.holds);
        EXPECT_EQ(h.out[1], c.holds);
    }
}

TEST(Program, TimeStopAndShortCircuit) {
    ProgramHarness h;
    EXPECT_EQ(h.Run("Output1 = t() * 2;", 1.5), "");
    EXPECT_EQ(h.out[0], 3.0);
    const char* guarded = "if (Input1 > 0 && stop() > 0) Output1 = 1; Output2 = 1;";
    EXPECT_EQ(h.Run(guarded), "");
    EXPECT_EQ(h.out[1], 1);
    h.in[0] = 1;
    h.out[1] = 0;
    EXPECT_EQ(h.Run(guarded), "stop()");
    EXPECT_EQ(h.out[1], 0);  // the program left at stop()
    EXPECT_EQ(h.Run("if (Input1 > 0 || stop() > 0) Output1 = 3;"), "");
    EXPECT_EQ(h.out[0], 3);
}

TEST(Program, BrokenTextsGiveTheirMessages) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case kCases[] = {
        {"Output1 = Input1", "Unterminated line at line 1 in Program Block P1"},
        {"Output1 = 1;\n{ Output1 = 1 }", "Unterminated line at line 2 in Program Block P1"},
        {"Output1 = x;", "Symbol \"x\" not found on line 1 of Program Block P1"},
        {"\nOutput1 = Input1(2);",
         "Attempt to call non function  \"Input1\" on line 2 of Program Block P1"},
        {"sin = 1;", "Symbol \"sin\" is not an LValue, on line 1 of Program Block P1"},
        {"Output1 = PI;", "Function \"PI\" is called without () on line 1 of Program Block P1"},
        {"else Output1 = 0;", "Misplaced 'else' on line 1 of Program Block P1"},
        {"Output1 = 1; else Output1 = 0;", "Misplaced 'else' on line 1 of Program Block P1"},
        {"Output1 = 1;\nelse if (Input1 > 0) Output1 = 0;",
         "Misplaced 'else if' on line 2 of Program Block P1"},
        {"if (1 > 0) Output1 = 1; else Output1 = 2; else Output1 = 3;",
         "Misplaced 'else' on line 1 of Program Block P1"},
        {"Output1 = Input1 % 2;",
         "Cannot use modulo (%) with double-precision numbers.  See Program Block \"P1\""},
        {"Output1 = sin(1, 2);",
         "Wrong number of arguments for call to function \"sin\" on line 1 in Program Block "
         "P1\rExpected 1 argument(s), but function call has 2."},
        {"Output1 = pow(2);",
         "Wrong number of arguments for call to function \"pow\" on line 1 in Program Block "
         "P1\rExpected 2 argument(s), but function call has 1."},
        {"Output1 = t(1);",
         "Wrong number of arguments for call to function \"t\" on line 1 in Program Block "
         "P1\rExpected 0 argument(s), but function call has 1."},
        {"while (Input1 > 0) Output1 = 1;", "Cannot interpret line 1 in Program BlockP1"},
        {"Output1 = Input1 > 0 && -Input2 > 0;", "Cannot interpret line 1 in Program BlockP1"},
        {"Output1 += 1;", "Cannot interpret line 1 in Program BlockP1"},
        {"if (Input1) Output1 = 1;", "Cannot interpret line 1 in Program BlockP1"},
        {"Output1 = (Input1 + 1;", "Cannot interpret line 1 in Program BlockP1"},
        {"Output1 = 1 + (Output2 = 2);", "Cannot interpret line 1 in Program BlockP1"},
        {"int Output1;", "Cannot interpret line 1 in Program BlockP1"},
        // An unmatched "{" or a stray "}" is refused instead of running what follows it.
        {"Output1 = 1; if (Input1 > 0.5) { Output2 = 2;",
         "Unmatched '{' on line 1 of Program Block P1"},
        {"Output1 = 1;\n}", "Unmatched '}' on line 2 of Program Block P1"},
        {"{ Output1 = 1; } }", "Unmatched '}' on line 1 of Program Block P1"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        ProgramHarness h;
        EXPECT_FALSE(h.Compile(c.text));
        EXPECT_EQ(h.error.kind, KProgramError::Kind::Parser);
        EXPECT_EQ(h.error.text, c.message);
        EXPECT_FALSE(h.program.Ready());
    }
}

// Hostile texts end in a message, quickly, instead of exhausting the stack or
// the processor.
TEST(Program, LimitsOnNestingAndLength) {
    struct Case {
        std::string text;
        const char* fault;
    };
    const Case kCases[] = {
        {std::string(200, '{') + std::string(200, '}'), "Braces nested too deeply."},
        {[] {
             std::string s = "Output1 = ";
             for (int i = 0; i < 1500; ++i) s += "- ";
             return s + "1;";
         }(),
         "Expression nested too deeply."},
        {[] {
             std::string s = "Output1 = 0";
             for (int i = 0; i < kMaxStatementTokens; ++i) s += "+1";
             return s + ";";
         }(),
         "Statement too long."},
        {[] {
             std::string s;
             for (int i = 0; i < 600; ++i) s += "if (true) ";
             s += "{ ";
             for (int i = 0; i < 600; ++i) s += "if (true) ";
             return s + "Output1 = 1; }";
         }(),
         "Statements nested too deeply."},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fault);
        ProgramHarness h;
        EXPECT_FALSE(h.Compile(c.text));
        EXPECT_EQ(h.error.fault, c.fault);
    }
    // Just inside the limits, the same shapes compile and compute.
    ProgramHarness h;
    std::string sum = "Output1 = 0";
    for (int i = 0; i < kMaxExpressionDepth - 10; ++i) sum += "+1";
    EXPECT_EQ(h.Run(sum + ";"), "");
    EXPECT_EQ(h.out[0], kMaxExpressionDepth - 10);
    EXPECT_EQ(h.Run(std::string(40, '{') + "Output2 = 3;" + std::string(40, '}')), "");
    EXPECT_EQ(h.out[1], 3);
}

}  // namespace
}  // namespace korvel::test
