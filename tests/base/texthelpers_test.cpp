#include "base/texthelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

using Fields = std::vector<std::string>;

TEST(TextHelpers, DigitsReplacementsAndIdentifiers) {
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    for (const char* text : {"12a", " 1", "-1", "1.5"}) EXPECT_FALSE(IsAllDigits(text)) << text;
    struct Case {
        std::string (*function)(std::string_view);
        const char* text;
        const char* expected;
    };
    const Case kCases[] = {
        {ReplaceCommas, "a,b,,c", "a-b--c"},
        {SlashesForBackslashes, "Glyphs\\IconLPF1", "Glyphs/IconLPF1"},
        {SlashesForBackslashes, "\\\\a/b", "//a/b"},
        {NameBeforeDot, "motor.kvd", "motor"},
        {NameBeforeDot, "a.b.c", "a"},
        {NameBeforeDot, "noext", "noext"},
        {NameBeforeDot, ".hidden", ""},
        {MakeIdentifier, "2nd (x-y)", "x2nd__x_y_"},
        {MakeIdentifier, "a+b^c/d", "a_b_c_d"},
        {MakeIdentifier, "speed", "speed"},
        {MakeIdentifier, "9", "x9"},
        {MakeIdentifier, "", ""},
        {MakeIdentifier, "x 1", "x_1"},
        {MakeIdentifier, "rate*2", "rate*2"},  // characters outside the list are left alone
    };
    for (const Case& c : kCases) EXPECT_EQ(c.function(c.text), c.expected) << c.text;
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
