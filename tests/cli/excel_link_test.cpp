// korvel-run on a model that loads parameters from a workbook and stores
// results into it (issue 20).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "clitesting.h"
#include "spreadsheet/workbookfiles.h"

namespace {

namespace fs = std::filesystem;
using korvel::test::KTempDir;

using clitest::Result;
using clitest::RunCli;

// The model's workbook: Params!B1 is the gain, B3 a formula; Results!A1 a heading.
void WriteParams(const std::string& path) {
    korvel::test::WriteXlsx(
        path,
        {{"Params",
          {{0, 0, std::string("Gain")}, {0, 1, 2.5}, {2, 1, korvel::test::KFormula{"=B1*2", 5.0}}}},
         {"Results", {{0, 0, std::string("t")}}}});
}

// The model and, unless told otherwise, its workbook in a fresh folder.
std::string CopyModel(const KTempDir& dir, const char* model, bool withWorkbook = true) {
    const std::string path = dir.File(model);
    fs::copy_file(fs::path(KORVEL_TEST_DATA) / "spreadsheet" / model, path);
    if (withWorkbook) WriteParams(dir.File("params.xlsx"));
    return path;
}

// "Gain" loads B1 and "StoreGain" stores it into C1 at the first evaluation;
// "StoreTime" stores the time into Results!A2 when it first reaches 0.52,
// which is the middle stage of the step from 0.5 (h = 0.1).
TEST(ExcelLink, ARunLoadsStoresAndLeavesExactlyThoseValuesInTheWorkbook) {
    KTempDir dir;
    const std::string model = CopyModel(dir, "excel_link.kvd");
    const Result r = RunCli(model + " --vars gain --every 0.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Time,gain\n0.5,2.5\n", 0), 0u) << r.out;
    const std::map<std::string, std::string> params = {
        {"A1", "s:Gain"}, {"B1", "n:2.5"}, {"C1", "n:2.5"}, {"B3", "f:B1*2=5"}};
    EXPECT_EQ(korvel::test::ReadCells(dir.File("params.xlsx"), 1), params);
    const std::map<std::string, std::string> results = {{"A1", "s:t"}, {"A2", "n:0.55"}};
    EXPECT_EQ(korvel::test::ReadCells(dir.File("params.xlsx"), 2), results);
    auto entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"excel_link.kvd", "params.xlsx"}));
}

TEST(ExcelLink, AMissingWorkbookRefusesTheModelAndCreatesNothing) {
    KTempDir dir;
    const std::string model = CopyModel(dir, "excel_link.kvd", false);
    const Result r = RunCli(model);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(RunCli(model + " --out " + dir.File("rows.csv")).status, 1);
    EXPECT_NE(r.err.find("Error: Could not open file \"params.xlsx\""), std::string::npos) << r.err;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"excel_link.kvd"});
}

// "BadCell" loads the text "Gain" once the time reaches 0.52: the run stops
// with a run-time error, and what was stored before is still written back.
TEST(ExcelLink, AfterARunTimeErrorTheStoredValuesAreWrittenBack) {
    KTempDir dir;
    const std::string model = CopyModel(dir, "excel_link_error.kvd");
    const Result r = RunCli(model);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("holds \"Gain\", which is not a number in KExcelLoad block named "
                         "\"BadCell\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(korvel::test::ReadCells(dir.File("params.xlsx"), 1).at("C1"), "n:2.5");
}

// Files may grow to 4 blocks only, so the complete temporary workbook
// cannot be written (even by root): the run reports it and fails, and the
// workbook is the one the run started with.
TEST(ExcelLink, AFailedWriteBackIsStatusTwoAndLeavesTheWorkbookAsItWas) {
    KTempDir dir;
    const std::string model = CopyModel(dir, "excel_link.kvd");
    const std::string before = korvel::test::ReadFileBytes(dir.File("params.xlsx"));
    ASSERT_GT(before.size(), 4096u);
    const Result r = RunCli(model, {}, "trap '' XFSZ; ulimit -f 4; ");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Cannot write to"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("params.xlsx\" was not written back"), std::string::npos) << r.err;
    EXPECT_EQ(korvel::test::ReadFileBytes(dir.File("params.xlsx")), before);
    auto entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"excel_link.kvd", "params.xlsx"}));
}

// The workbook is written back when the run ends: as a target of --out or
// --save-as it is refused like the model, and keeps its bytes.
TEST(ExcelLink, TheWorkbookIsNeverATarget) {
    KTempDir dir;
    const std::string model = CopyModel(dir, "excel_link.kvd");
    const std::string before = korvel::test::ReadFileBytes(dir.File("params.xlsx"));
    for (const char* option : {" --until 0.1 --out ", " --save-as "}) {
        SCOPED_TRACE(option);
        const Result r = RunCli(model + option + dir.File("params.xlsx"));
        EXPECT_EQ(r.status, 3);
        EXPECT_NE(r.err.find("the workbook params.xlsx that the model uses"), std::string::npos) << r.err;
        EXPECT_EQ(korvel::test::ReadFileBytes(dir.File("params.xlsx")), before);
    }
}

}  // namespace
