// Every built-in function at chosen points and at the edges where it fails,
// and the run-time faults of the operators. Values are the functions'
// mathematical values, typed from tables.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "programtesting.h"

namespace korvel::test {
namespace {

struct Case {
    const char* call;
    double expected;
    const char* fault;  // nullptr when the call succeeds
};

TEST(Builtins, ValuesAndMathErrors) {
    const Case kCases[] = {
        {"sin(0.5)", 0.479425538604203, nullptr},
        {"asin(1)", 1.5707963267948966, nullptr},
        {"asin(1.5)", 0, "Domain error in function\"asin()\""},
        {"sinh(1)", 1.1752011936438014, nullptr},
        {"sinh(1000)", 0, "Overflow error in function\"sinh()\""},
        {"cos(0)", 1, nullptr},
        {"acos(-1)", 3.141592653589793, nullptr},
        {"acos(-1.0001)", 0, "Domain error in function\"acos()\""},
        {"cosh(-1000)", 0, "Overflow error in function\"cosh()\""},
        {"tan(0.25)", 0.25534192122103627, nullptr},
        {"tanh(0.5)", 0.46211715726000974, nullptr},
        {"atan(1)", 0.7853981633974483, nullptr},
        {"exp(1)", 2.718281828459045, nullptr},
        {"exp(710)", 0, "Overflow error in function\"exp()\""},
        {"exp(-1000)", 0, nullptr},
        {"log(1)", 0, nullptr},
        {"log(-1)", 0, "Domain error in function\"log()\""},
        {"log(0)", 0, "Singularity error in function\"log()\""},
        {"log10(1000)", 3, nullptr},
        {"log10(-1)", 0, "Domain error in function\"log()\""},
        {"sqrt(2)", 1.4142135623730951, nullptr},
        {"sqrt(-0.0001)", 0, "Domain error in function\"sqrt()\""},
        {"fabs(-3.5)", 3.5, nullptr},
        {"pow10(2)", 100, nullptr},
        {"pow10(400)", 0, "Overflow error in function\"exp()\""},
        {"floor(-0.5)", -1, nullptr},
        {"ceil(-0.5)", 0, nullptr},
        {"atan2(0, 1)", 1.5707963267948966, nullptr},
        {"atan2(-1, 0)", 3.141592653589793, nullptr},
        {"atan2(1, 1)", 0.7853981633974483, nullptr},
        {"pow(2, 10)", 1024, nullptr},
        {"pow(0, 2)", 0, "Error in function\"Pow()\":  2nd argument <= 0"},
        {"pow(-2, 2)", 0, "Error in function\"Pow()\":  2nd argument <= 0"},
        {"pow(10, 400)", 0, "Unknown error in function\"Pow()\""},
        {"max(-1, -2)", -1, nullptr},
        {"min(-1, -2)", -2, nullptr},
        {"hypot(-5, 12)", 13, nullptr},
        {"fmod(-7, 2)", -1, nullptr},
        {"fmod(1, 0)", 0, "Domain error in function\"fmod()\""},
        {"PI()", 3.1415926, nullptr},
        {"1 / 0", 0, "division by zero"},
        {"1 % (2 - 2)", 0, "division by zero"},
        {"log10(0)", 0, "Singularity error in function\"log()\""},
        // Arguments are evaluated last one first.
        {"max(sqrt(-1), log(-1))", 0, "Domain error in function\"log()\""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.call);
        ProgramHarness h;
        const std::string fault = h.Run(std::string("Output1 = ") + c.call + ";");
        if (c.fault != nullptr) {
            EXPECT_EQ(fault, c.fault);
            continue;
        }
        EXPECT_EQ(fault, "");
        EXPECT_NEAR(h.out[0], c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected)));
    }
}

}  // namespace
}  // namespace korvel::test
