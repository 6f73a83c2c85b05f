#include <gtest/gtest.h>

#include "spreadsheet/workbook.h"
#include "spreadsheet/workbookfiles.h"

namespace korvel {
namespace {

// tests/data/spreadsheet/legacy.xls, written by make_legacy_xls.py beside it.
const std::string kLegacy = std::string(KORVEL_TEST_DATA) + "/spreadsheet/legacy.xls";

TEST(XlsWorkbook, ReadsTheLegacyFixture) {
    std::string error;
    auto book = OpenWorkbook(kLegacy, error);
    ASSERT_NE(book, nullptr) << error;
    ASSERT_EQ(book->SheetCount(), 2);
    EXPECT_EQ(book->SheetAt(0).Name(), "Params");
    EXPECT_EQ(book->SheetAt(1).Name(), "Data");
    const KSheet& params = book->SheetAt(0);
    EXPECT_EQ(CellText(params.Read({1, 1})), "Gain");
    EXPECT_EQ(LoadNumber(params.Read({1, 2})), 2.5);
    EXPECT_EQ(CellText(params.Read({2, 1})), "Offset");
    EXPECT_EQ(LoadNumber(params.Read({2, 2})), -0.4);
    EXPECT_EQ(LoadNumber(params.Read({3, 2})), 1.0);
    EXPECT_EQ(LoadNumber(params.Read({4, 3})), -7.25);
    EXPECT_EQ(params.Read({3, 1}).kind, KCellValue::Kind::Empty);
    EXPECT_EQ(LoadNumber(book->SheetAt(1).Read({1, 1})), 42.0);
    EXPECT_EQ(CellText(book->SheetAt(1).Read({2, 2})), "abc");
}

TEST(XlsWorkbook, WritingIsRefusedSuggestingXlsx) {
    std::string error;
    auto book = OpenWorkbook(kLegacy, error);
    ASSERT_NE(book, nullptr) << error;
    std::string reason;
    EXPECT_FALSE(book->CanWrite(reason));
    EXPECT_NE(reason.find(".xlsx"), std::string::npos) << reason;
    EXPECT_FALSE(book->SheetAt(0).Write({1, 1}, 1.0, error));
    EXPECT_NE(error.find("save it as .xlsx"), std::string::npos) << error;
    EXPECT_FALSE(book->Changed());
}

TEST(XlsWorkbook, ATruncatedLegacyFileIsRefused) {
    test::KTempDir dir;
    const std::string bytes = test::ReadFileBytes(kLegacy);
    for (std::size_t size : {std::size_t{8}, std::size_t{600}, std::size_t{1600}}) {
        SCOPED_TRACE(size);
        const std::string path = dir.File("cut.xls");
        std::ofstream(path, std::ios::binary) << bytes.substr(0, size);
        std::string error;
        EXPECT_EQ(OpenWorkbook(path, error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace korvel
