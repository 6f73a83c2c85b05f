#include "base/numberformat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FormatCase {
    const char* name;
    double input;
    const char* expected;
};

TEST(FormatNumber, FiveDigitsInSevenColumns) {
    constexpr FormatCase kCases[] = {
        {"pi: one leading blank", 3.14159265, " 3.1416"},
        {"rounds at the fifth digit", 1.234567, " 1.2346"},
        {"rounds up into a new digit", 9.99996, "     10"},
        {"trailing zeros dropped", 2.5, "    2.5"},
        {"integer", 12345.0, "  12345"},
        {"six digits go to exponent form", 123456.0, "1.2346e+05"},
        {"rounding up to 1e5 goes to exponent form", 99999.5, "  1e+05"},
        {"smallest fixed form", 0.0001, " 0.0001"},
        {"below 1e-4 is exponent form", 1e-5, "  1e-05"},
        {"small with digits", 0.00001234, "1.234e-05"},
        {"negative fills the width", -3.14159265, "-3.1416"},
        {"negative short", -0.5, "   -0.5"},
        {"zero", 0.0, "      0"},
        {"negative zero shows a plain zero", -0.0, "      0"},
        {"huge", 1e300, " 1e+300"},
        {"largest double", std::numeric_limits<double>::max(), "1.7977e+308"},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min(), "4.9407e-324"},
        {"infinity", kInf, "    inf"},
        {"minus infinity", -kInf, "   -inf"},
        {"nan", kNaN, "    nan"},
    };
    for (const FormatCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatNumber(c.input), c.expected);
    }
}

TEST(FormatShortNumber, ThreeDigitsInSixColumns) {
    constexpr FormatCase kCases[] = {
        {"pi", 3.14159265, "  3.14"},
        {"hundred", 100.0, "   100"},
        {"four digits go to exponent form", 1234.0, "1.23e+03"},
        {"rounding up to 1000", 999.6, " 1e+03"},
        {"half", 0.5, "   0.5"},
        {"negative", -12.34, " -12.3"},
        {"negative zero", -0.0, "     0"},
    };
    for (const FormatCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatShortNumber(c.input), c.expected);
    }
}

TEST(FormatGeneral, DigitsWithoutPadding) {
    struct Case {
        double input;
        int digits;
        const char* expected;
    };
    constexpr Case kCases[] = {
        {0.1, 15, "0.1"},        {1.0 / 3.0, 15, "0.333333333333333"},
        {123.456, 6, "123.456"}, {1234567.0, 6, "1.23457e+06"},
        {-0.0, 15, "0"},         {2.7, 0, "3"},  // no digits means one, as in printf
        {-kInf, 15, "-inf"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatGeneral(c.input, c.digits), c.expected);
    }
}

// What the file reader takes (only what the writer writes), and what a typed
// entry takes (also blanks around the number and a leading '+'); a refused
// entry keeps the previous value and says so.
TEST(ParseDouble, FileNumbersAndTypedNumbers) {
    constexpr std::nullopt_t kNo = std::nullopt;
    struct Case {
        const char* text;
        std::optional<double> parsed, typed;
    };
    const Case kCases[] = {
        {"1.5", 1.5, 1.5},       {"-2e+20", -2e20, -2e20},
        {"1e-07", 1e-7, 1e-7},   {".5", 0.5, 0.5},
        {"5.", 5.0, 5.0},        {"0", 0.0, 0.0},
        {"42", 42.0, 42.0},      {"0.333333333333333", 0.333333333333333, 0.333333333333333},
        {"1E3", 1000.0, 1000.0}, {" 1", kNo, 1.0},
        {"1 ", kNo, 1.0},        {"+1", kNo, 1.0},
        {" +4e-3", kNo, 0.004},  {"\t-1e3\n", kNo, -1000.0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDouble(c.text), c.parsed);
        KMessageRecorder recorder;
        EXPECT_EQ(TextToDouble(c.text, 99.0, recorder), c.typed);
        EXPECT_TRUE(recorder.boxes.empty());
    }
    constexpr const char* kBad[] = {
        "",    "   ", "abc", "1,5",   "1e", "1e999", "1e-999", "inf",      "nan",  "-inf", "0x10",
        "--1", "+-3", "++3", "1.2.3", ".",  "-",     "-.",     "infinity", "1e5x", "3 4",  "2.5x",
    };
    for (const char* text : kBad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseDouble(text).has_value());
        KMessageRecorder recorder;
        EXPECT_EQ(TextToDouble(text, 3.0, recorder), 3.0);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.Last().caption, "Message Box");
        EXPECT_EQ(recorder.Last().buttons, KButtons::Ok);
        EXPECT_EQ(recorder.Last().text, std::string("Cannot convert \"") + text + "\" to a Number");
    }
    const auto negativeZero = ParseDouble("-0");
    ASSERT_TRUE(negativeZero.has_value());
    EXPECT_TRUE(std::signbit(*negativeZero));
}

TEST(ParseInteger, DecimalIntegersThatFit) {
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger("-17"), -17);
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483647 - 1);
    constexpr const char* kBad[] = {
        "2147483648", "-2147483649", "1.0", "1e3", "+3", " 3", "3 ", "", "-", "12a", "0x1F",
    };
    for (const char* text : kBad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseInteger(text).has_value());
    }
}

TEST(TextToInteger, ConvertsOrKeepsThePreviousValue) {
    KMessageRecorder recorder;
    EXPECT_EQ(TextToInteger(" +12 ", 5, recorder), 12);
    EXPECT_EQ(TextToInteger("-3", 5, recorder), -3);
    EXPECT_TRUE(recorder.boxes.empty());

    EXPECT_EQ(TextToInteger("3.5", 5, recorder), 5);
    EXPECT_EQ(TextToInteger("99999999999", 5, recorder), 5);
    EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{
                                    "Cannot convert \"3.5\" to an Integer",
                                    "Cannot convert \"99999999999\" to an Integer",
                                }));
    EXPECT_EQ(recorder.Count("Message Box"), 2);
}

// Switches to a locale whose decimal separator is a comma for the test's
// duration, if the machine has one.
class CommaLocale {
public:
    CommaLocale() {
        const char* saved = std::setlocale(LC_ALL, nullptr);
        saved_ = saved != nullptr ? saved : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr &&
                std::string(std::localeconv()->decimal_point) == ",") {
                active_ = true;
                return;
            }
        }
        std::setlocale(LC_ALL, saved_.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

// A GUI toolkit may switch the process to the user's locale; a model saved
// there must still write and read "2.5", never "2,5".
TEST(NumberText, IgnoresTheLocaleDecimalSeparator) {
    CommaLocale locale;
    if (!locale.Active()) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    KMessageRecorder recorder;
    EXPECT_EQ(FormatNumber(2.5), "    2.5");
    EXPECT_EQ(FormatGeneral(0.125, 15), "0.125");
    EXPECT_EQ(TextToDouble("2.5", 0.0, recorder), 2.5);
    EXPECT_EQ(TextToDouble("2,5", 0.0, recorder), 0.0);
    EXPECT_EQ(ParseDouble("1.5e3"), 1500.0);
    EXPECT_EQ(recorder.boxes.size(), 1u);
}

}  // namespace
}  // namespace korvel
