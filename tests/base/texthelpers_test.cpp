#include "base/texthelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

using Fields = std::vector<std::string>;

TEST(IsAllDigits, OnlyDecimalDigits) {
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_FALSE(IsAllDigits(" 1"));
    EXPECT_FALSE(IsAllDigits("-1"));
    EXPECT_FALSE(IsAllDigits("1.5"));
}

TEST(TextHelpers, CharacterReplacements) {
    EXPECT_EQ(ReplaceCommas("a,b,,c"), "a-b--c");
    EXPECT_EQ(ReplaceCommas("plain"), "plain");
    EXPECT_EQ(SlashesForBackslashes("Glyphs\\IconLPF1"), "Glyphs/IconLPF1");
    EXPECT_EQ(SlashesForBackslashes("\\\\a/b"), "//a/b");
}

TEST(PathHelpers, EitherSeparatorSplitsFolderAndName) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    constexpr Case kCases[] = {
        {"C:\\Models\\motor.kvd", "C:\\Models", "motor.kvd"},
        {"/home/user/motor.kvd", "/home/user", "motor.kvd"},
        {"motor.kvd", "", "motor.kvd"},
        {"dir/sub\\file", "dir/sub", "file"},
        {"dir\\sub/file", "dir\\sub", "file"},
        {"/file", "", "file"},
        {"dir/", "dir", ""},
        {"", "", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileFolder(c.path), c.folder);
        EXPECT_EQ(FileNameOnly(c.path), c.name);
    }
}

TEST(NameBeforeDot, CutsAtTheFirstDot) {
    EXPECT_EQ(NameBeforeDot("motor.kvd"), "motor");
    EXPECT_EQ(NameBeforeDot("a.b.c"), "a");
    EXPECT_EQ(NameBeforeDot("noext"), "noext");
    EXPECT_EQ(NameBeforeDot(".hidden"), "");
}

TEST(MakeIdentifier, DigitPrefixAndUnderscores) {
    struct Case {
        const char* text;
        const char* expected;
    };
    constexpr Case kCases[] = {
        {"2nd (x-y)", "x2nd__x_y_"},
        {"a+b^c/d", "a_b_c_d"},
        {"speed", "speed"},
        {"9", "x9"},
        {"", ""},
        {"x 1", "x_1"},
        {"rate*2", "rate*2"},  // characters outside the list are left alone
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MakeIdentifier(c.text), c.expected);
    }
}

TEST(SplitFields, RunsOfSeparatorsCountAsOne) {
    struct Case {
        const char* text;
        Fields expected;
    };
    const Case kCases[] = {
        {"1, 2", {"1", "2"}},
        {"1,,2", {"1", "2"}},
        {"  a b\r\nc  ", {"a", "b", "c"}},
        {"a\tb", {"a", "b"}},
        {",lead,trail,", {"lead", "trail"}},
        {"one", {"one"}},
        {"", {}},
        {" ,\r\n, ", {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitFields(c.text), c.expected);
    }
}

TEST(SplitFields, CapacityFormAnswersMinusTwoWhenFull) {
    Fields list;
    EXPECT_EQ(SplitFields("1 2 3", list, 3), 3);
    EXPECT_EQ(list, (Fields{"1", "2", "3"}));
    EXPECT_EQ(SplitFields("1 2 3 4", list, 3), -2);
    EXPECT_EQ(list, (Fields{"1", "2", "3"}));
    EXPECT_EQ(SplitFields("", list, 0), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(SplitFields("a", list, 0), -2);
    EXPECT_EQ(SplitFields("a", list, -1), -2);
}

}  // namespace
}  // namespace korvel
