#include <gtest/gtest.h>

#include <algorithm>

#include "base/messagerecorder.h"
#include "base/safefile.h"
#include "spreadsheet/workbook.h"
#include "spreadsheet/workbookfiles.h"
#include "spreadsheet/ziparchive.h"

namespace korvel {
namespace {

using test::KBool;
using test::KFormula;
using test::KTempDir;

// Two sheets with numbers, texts, a boolean, a formula and gaps.
std::vector<test::KTestSheet> Reference() {
    return {
        {"Params",
         {{0, 0, std::string("Gain")},
          {0, 1, 2.5},
          {1, 0, std::string("Offset")},
          {1, 1, std::string(" -4e-1 ")},
          {2, 1, KBool{true}},
          {4, 1, KFormula{"=B1*2", 5.0}},
          {5, 2, std::string("abc")}}},
        {"Data Sheet", {{0, 0, 1.0}, {2, 3, -7.25}}},
    };
}

std::unique_ptr<KWorkbook> Open(const std::string& path) {
    std::string error;
    auto book = OpenWorkbook(path, error);
    EXPECT_NE(book, nullptr) << error;
    return book;
}

// The reference workbook's bytes with parts replaced or removed.
std::string PatchedBytes(const std::map<std::string, std::string>& replace,
                         const std::vector<std::string>& remove = {}) {
    KTempDir dir;
    test::WriteXlsx(dir.File("ref.xlsx"), Reference());
    std::string bytes;
    std::string error;
    EXPECT_TRUE(
        RewriteZip(test::ReadFileBytes(dir.File("ref.xlsx")), replace, remove, bytes, error))
        << error;
    return bytes;
}

// The same, opened from memory.
std::unique_ptr<KWorkbook> Patched(const std::map<std::string, std::string>& replace) {
    std::string error;
    auto book = OpenWorkbookBytes("patched.xlsx", PatchedBytes(replace), error);
    EXPECT_NE(book, nullptr) << error;
    return book;
}

// A part of a workbook's bytes.
std::string Part(const std::string& bytes, const std::string& name) {
    std::string error;
    std::string text;
    auto zip = KZipReader::Open(bytes, error);
    EXPECT_TRUE(zip && zip->Read(name, text, error)) << name << ": " << error;
    return text;
}

KCellValue Read(KWorkbook& book, const char* sheet, const char* address) {
    KSheet* s = book.FindSheet(sheet);
    EXPECT_NE(s, nullptr) << sheet;
    return s ? s->Read(*ParseCellAddress(address)) : KCellValue{};
}

class XlsxWorkbook : public ::testing::TestWithParam<bool> {};

// Shared strings and inline strings are the two ways the writer stores text.
TEST_P(XlsxWorkbook, ReadsAWorkbookOfAnIndependentWriter) {
    KTempDir dir;
    const std::string path = dir.File("ref.xlsx");
    test::WriteXlsx(path, Reference(), GetParam());
    auto book = Open(path);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->SheetCount(), 2);
    EXPECT_EQ(book->SheetAt(0).Name(), "Params");
    EXPECT_EQ(book->SheetAt(1).Name(), "Data Sheet");
    EXPECT_EQ(book->FindSheet("params"), nullptr);  // names compare exactly

    EXPECT_EQ(CellText(Read(*book, "Params", "A1")), "Gain");
    EXPECT_EQ(LoadNumber(Read(*book, "Params", "B1")), 2.5);
    EXPECT_EQ(LoadNumber(Read(*book, "Params", "B2")), -0.4);
    EXPECT_EQ(LoadNumber(Read(*book, "Params", "B3")), 1.0);
    EXPECT_EQ(LoadNumber(Read(*book, "Params", "B5")), 5.0);  // a formula's cached value
    EXPECT_EQ(Read(*book, "Params", "B4").kind, KCellValue::Kind::Empty);
    EXPECT_EQ(Read(*book, "Params", "Z99").kind, KCellValue::Kind::Empty);
    EXPECT_EQ(LoadNumber(Read(*book, "Params", "C6")), std::nullopt);
    EXPECT_EQ(LoadNumber(Read(*book, "Data Sheet", "D3")), -7.25);
}

INSTANTIATE_TEST_SUITE_P(Strings, XlsxWorkbook, ::testing::Values(false, true));

TEST(XlsxWrite, WrittenCellsReadBackIndependentlyAndTheRestKeepsItsBytes) {
    KTempDir dir;
    const std::string path = dir.File("ref.xlsx");
    test::WriteXlsx(path, Reference());
    const auto before = test::ZipEntries(path);
    auto book = Open(path);
    ASSERT_TRUE(book);
    KSheet& params = *book->FindSheet("Params");
    std::string error;
    const std::pair<const char*, double> writes[] = {
        {"B1", 1.0 / 3.0},  // replaces a number
        {"A1", 42.0},       // replaces a shared string
        {"B5", -1.5},       // replaces a formula
        {"A3", 1e20},       // a new cell before an existing one in its row
        {"D4", 7.0},        // a new row between rows
        {"A70000", 3.0},    // a new last row
    };
    for (const auto& [address, value] : writes)
        ASSERT_TRUE(params.Write(*ParseCellAddress(address), value, error)) << error;
    ASSERT_TRUE(book->Changed());
    KMessageRecorder messages;
    KPosixFileSystem fs;
    ASSERT_TRUE(book->Close(fs, messages));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"ref.xlsx"});  // no temporary file left

    const auto cells = test::ReadCells(path, 1);
    const std::map<std::string, std::string> expected = {
        {"A1", "n:42"},     {"B1", "n:0.333333333333333"},
        {"A2", "s:Offset"}, {"B2", "s: -4e-1 "},
        {"A3", "n:1e+20"},  {"B3", "b:1"},
        {"D4", "n:7"},      {"B5", "n:-1.5"},
        {"C6", "s:abc"},    {"A70000", "n:3"},
    };
    EXPECT_EQ(cells, expected);

    // Rows and cells stay in address order, as spreadsheet programs require.
    const auto after = test::ZipEntries(path);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(after.at("xl/worksheets/sheet1.xml").c_str()));
    // The used-range hint covers the new cells.
    EXPECT_STREQ(doc.child("worksheet").child("dimension").attribute("ref").value(), "A1:D70000");
    int lastRow = 0;
    for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row")) {
        EXPECT_GT(row.attribute("r").as_int(), lastRow);
        lastRow = row.attribute("r").as_int();
        int lastColumn = 0;
        for (pugi::xml_node c : row.children("c")) {
            const int column = ParseCellAddress(c.attribute("r").value())->column;
            EXPECT_GT(column, lastColumn) << c.attribute("r").value();
            lastColumn = column;
        }
    }
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, bytes] : before) {
        if (name != "xl/worksheets/sheet1.xml") {
            EXPECT_EQ(after.at(name), bytes) << name;
        }
    }
}

TEST(XlsxWrite, AnUnchangedWorkbookKeepsItsBytes) {
    KTempDir dir;
    const std::string path = dir.File("ref.xlsx");
    test::WriteXlsx(path, Reference());
    const std::string bytes = test::ReadFileBytes(path);
    auto book = Open(path);
    ASSERT_TRUE(book);
    (void)book->SheetAt(0).Read({1, 1});
    KMessageRecorder messages;
    KPosixFileSystem fs;
    EXPECT_TRUE(book->Close(fs, messages));
    EXPECT_EQ(test::ReadFileBytes(path), bytes);
}

// Fails each file operation of the write-back in turn: every failure is
// reported and leaves the original workbook whole, until one succeeds.
TEST(XlsxWrite, AFailedWriteBackLeavesTheWorkbookAsItWas) {
    KTempDir dir;
    const std::string path = dir.File("ref.xlsx");
    test::WriteXlsx(path, Reference());
    const std::string original = test::ReadFileBytes(path);
    KPosixFileSystem posix;
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        ASSERT_LT(n, 50);
        auto book = Open(path);
        ASSERT_TRUE(book);
        std::string error;
        ASSERT_TRUE(book->SheetAt(1).Write({1, 1}, 9.0, error));
        KFaultyFileSystem faulty(posix);
        faulty.failOperation = n;
        KMessageRecorder messages;
        if (book->Close(faulty, messages)) break;
        EXPECT_FALSE(messages.messages.empty());
        EXPECT_EQ(test::ReadFileBytes(path), original);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"ref.xlsx"});
    }
    EXPECT_EQ(test::ReadCells(path, 2).at("A1"), "n:9");
}

// Producers may prefix element names and leave out the optional row and
// cell references; positions then follow the previous row or cell.
TEST(XlsxWrite, PrefixedSheetsWithoutReferencesReadAndWriteInPlace) {
    const std::string sheet =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row><x:c t=\"s\"><x:v>0</x:v></x:c><x:c><x:v>2.5</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c r=\"C3\" t=\"inlineStr\"><x:is><x:r><x:t>a</x:t></x:r><x:r>"
        "<x:t>b</x:t></x:r></x:is></x:c></x:row></x:sheetData></x:worksheet>";
    auto book = Patched({{"xl/worksheets/sheet1.xml", sheet}});
    ASSERT_NE(book, nullptr);
    KSheet& s = book->SheetAt(0);
    EXPECT_EQ(CellText(s.Read({1, 1})), "Gain");
    EXPECT_EQ(LoadNumber(s.Read({1, 2})), 2.5);
    EXPECT_EQ(CellText(s.Read({3, 3})), "ab");
    std::string error;
    ASSERT_TRUE(s.Write({2, 2}, 4.0, error));
    ASSERT_TRUE(s.Write({1, 3}, 5.0, error));
    std::string saved;
    ASSERT_TRUE(book->Serialize(saved, error)) << error;
    const std::string xml = Part(saved, "xl/worksheets/sheet1.xml");
    EXPECT_NE(xml.find("<x:row r=\"1\"><x:c t=\"s\" r=\"A1\"><x:v>0</x:v></x:c><x:c r=\"B1\">"
                       "<x:v>2.5</x:v></x:c><x:c r=\"C1\"><x:v>5</x:v></x:c></x:row><x:row "
                       "r=\"2\"><x:c r=\"B2\"><x:v>4</x:v></x:c></x:row><x:row r=\"3\">"),
              std::string::npos)
        << xml;
}

// The calculation chain lists formula cells; one that no longer holds a
// formula would make spreadsheet programs report the file as damaged.
TEST(XlsxWrite, OverwritingAFormulaDropsTheCalculationChain) {
    const std::string plain = PatchedBytes({});
    auto insertBefore = [](std::string text, const std::string& end, const std::string& what) {
        return text.insert(text.rfind(end), what);
    };
    auto book = Patched(
        {{"[Content_Types].xml",
          insertBefore(Part(plain, "[Content_Types].xml"), "</Types>",
                       "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>")},
         {"xl/_rels/workbook.xml.rels",
          insertBefore(Part(plain, "xl/_rels/workbook.xml.rels"), "</Relationships>",
                       "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/"
                       "officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/>")},
         {"xl/calcChain.xml", "<calcChain><c r=\"B5\" i=\"1\"/></calcChain>"}});
    ASSERT_NE(book, nullptr);
    std::string saved;
    std::string error;
    ASSERT_TRUE(book->SheetAt(1).Write({1, 1}, 1.0, error));
    ASSERT_TRUE(book->Serialize(saved, error));
    EXPECT_TRUE(KZipReader::Open(saved, error)->Has("xl/calcChain.xml"));  // no formula lost yet
    ASSERT_TRUE(book->SheetAt(0).Write({5, 2}, 1.0, error));
    ASSERT_TRUE(book->Serialize(saved, error));
    EXPECT_FALSE(KZipReader::Open(saved, error)->Has("xl/calcChain.xml"));
    EXPECT_EQ(Part(saved, "[Content_Types].xml").find("calcChain"), std::string::npos);
    const std::string rels = Part(saved, "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(rels.find("calcChain"), std::string::npos);
    EXPECT_NE(rels.find("sharedStrings"), std::string::npos);
    EXPECT_NE(OpenWorkbookBytes("c.xlsx", saved, error), nullptr) << error;
}

TEST(XlsxWrite, TheCellThatHoldsASharedFormulaIsNotOverwritten) {
    const std::string sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"0\">B1</f>"
        "<v>1</v></c></row><row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>2</v></c>"
        "</row></sheetData></worksheet>";
    auto book = Patched({{"xl/worksheets/sheet2.xml", sheet}});
    ASSERT_NE(book, nullptr);
    std::string error;
    EXPECT_FALSE(book->SheetAt(1).Write({1, 1}, 5.0, error));
    EXPECT_NE(error.find("cell A1 of sheet \"Data Sheet\""), std::string::npos) << error;
    EXPECT_FALSE(book->Changed());
    EXPECT_TRUE(book->SheetAt(1).Write({2, 1}, 5.0, error)) << error;
}

TEST(XlsxOpen, BrokenFilesAreRefusedWithAReason) {
    const std::string bytes = PatchedBytes({});
    auto without = [](const std::string& part) { return PatchedBytes({}, {part}); };
    auto replaced = [](const std::string& part, const std::string& text) {
        return PatchedBytes({{part, text}});
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "not a workbook"},
        {"text", "hello, world", "not a workbook"},
        {"truncated", bytes.substr(0, bytes.size() / 2), "zip"},
        {"no workbook part", without("xl/workbook.xml"), "xl/workbook.xml is missing"},
        {"no sheet part", without("xl/worksheets/sheet2.xml"), "sheet2.xml is missing"},
        {"no package relationships", without("_rels/.rels"), "_rels/.rels is missing"},
        {"broken sheet XML", replaced("xl/worksheets/sheet1.xml", "<worksheet><sheetData>"),
         "not well-formed"},
        {"broken shared strings", replaced("xl/sharedStrings.xml", "<sst><si>"), "not well-formed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(OpenWorkbookBytes("x.xlsx", c.bytes, error), nullptr);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    std::string error;
    EXPECT_EQ(OpenWorkbook("/no/such/missing.xlsx", error), nullptr);
    EXPECT_NE(error.find("Cannot open"), std::string::npos) << error;
}

}  // namespace
}  // namespace korvel
