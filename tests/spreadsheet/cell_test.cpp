#include "spreadsheet/cell.h"

#include <gtest/gtest.h>

#include <optional>

namespace korvel {
namespace {

TEST(CellAddress, ParsesColumnLettersAndRow) {
    struct Case {
        const char* text;
        std::optional<KCellAddress> expected;
    };
    const Case cases[] = {
        {"A1", KCellAddress{1, 1}},
        {"ab7", KCellAddress{7, 28}},
        {"Z12", KCellAddress{12, 26}},
        {"XFD1048576", KCellAddress{1048576, 16384}},
        {"XFE1", std::nullopt},      // beyond the last column
        {"A1048577", std::nullopt},  // beyond the last row
        {"A0", std::nullopt},        // rows count from 1
        {"A", std::nullopt},
        {"12", std::nullopt},
        {"A1B", std::nullopt},
        {"A-1", std::nullopt},
        {"", std::nullopt},
        {"A 1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseCellAddress(c.text), c.expected);
    }
}

TEST(CellAddress, ColumnLettersCountInBase26WithoutZero) {
    const std::pair<int, const char*> cases[] = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [column, letters] : cases) EXPECT_EQ(ColumnLetters(column), letters);
    EXPECT_EQ(FormatCellAddress({65536, 28}), "AB65536");
}

TEST(CellValue, TextToNumberFollowsTheTypedNumberRule) {
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"", 0.0},
        {"   ", 0.0},
        {" 2.5 ", 2.5},
        {"+3", 3.0},
        {"-4e2", -400.0},
        {".5", 0.5},
        {"+-3", std::nullopt},
        {"abc", std::nullopt},
        {"1,5", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToNumber(c.text), c.expected);
    }
}

TEST(CellValue, LoadReadsEveryKindOfCell) {
    EXPECT_EQ(LoadNumber({}), 0.0);
    EXPECT_EQ(LoadNumber(KCellValue::Number(-1.25)), -1.25);
    EXPECT_EQ(LoadNumber(KCellValue::Boolean(true)), 1.0);
    EXPECT_EQ(LoadNumber(KCellValue::Boolean(false)), 0.0);
    EXPECT_EQ(LoadNumber(KCellValue::Text("")), 0.0);
    EXPECT_EQ(LoadNumber(KCellValue::Text("7")), 7.0);
    EXPECT_EQ(LoadNumber(KCellValue::Text("seven")), std::nullopt);
    EXPECT_EQ(LoadNumber({KCellValue::Kind::Error, 0.0, "#DIV/0!"}), std::nullopt);
}

TEST(CellValue, StoredTextHasAtMostFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {-2.5, "-2.5"},
        {1e20, "1e+20"},
        {123456789012345678.0, "1.23456789012346e+17"},
        {-0.0, "0"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(StoredNumberText(value), text);
}

}  // namespace
}  // namespace korvel
