#include "engine/blocks_excel.h"

#include <gtest/gtest.h>

#include "spreadsheet/workbookfiles.h"
#include "testmodel.h"

namespace korvel {
namespace {

using test::KTempDir;
using test::KTestModel;

void SetText(KBlock& block, std::string_view node, std::string text) {
    KNode* n = block.FindNode(node);
    ASSERT_NE(n, nullptr) << node;
    n->SetText(std::move(text));
}

// A model with one workbook "book.xlsx" (sheet "S": A1..A4 = 1..4, A5 "abc",
// A65536 = 9) in a temporary folder, and blocks added by each test.
class ExcelBlocks : public ::testing::Test {
protected:
    ExcelBlocks() {
        std::vector<test::KTestCell> cells;
        for (int row = 0; row < 4; ++row) cells.push_back({row, 0, row + 1.0});
        cells.push_back({4, 0, std::string("abc")});
        cells.push_back({65535, 0, 9.0});
        test::WriteXlsx(dir.File("book.xlsx"), {{"S", cells}});
        model.AddSolver(0.1, 1.0);
        file = &model.Add("KExcelFile", "ExcelFile1");
        SetText(*file, "File", "book.xlsx");
    }

    KBlock& AddLoad(const char* column = "A", const char* sheet = "S") {
        KBlock& load = model.Add("KExcelLoad");
        SetText(load, "Sheet", sheet);
        SetText(load, "Column", column);
        return load;
    }

    // Builds and opens the workbooks relative to the temporary folder.
    bool Build() {
        KBenchTop& bench = model.Build();
        bench.SetModelFolder(dir.Path());
        return bench.OpenFiles();
    }

    KTempDir dir;
    KTestModel model;
    KBlock* file = nullptr;
};

// Each evaluation sets the trigger and the row, then records the output.
TEST_F(ExcelBlocks, TheTriggerActsOnEachRiseAboveOneHalf) {
    struct Case {
        const char* name;
        std::vector<double> triggers;
        std::vector<double> outputs;  // row = evaluation number (1, 2, ...)
    };
    const Case cases[] = {
        {"0, 1, 0, 1 acts twice", {0, 1, 0, 1}, {0, 2, 2, 4}},
        {"held at 1 acts once", {1, 1, 1, 1}, {1, 1, 1, 1}},
        {"0.5 never acts", {0.5, 0.5, 0.5}, {0, 0, 0}},
        {"0.5 does not re-arm", {1, 0.5, 1}, {1, 1, 1}},
    };
    std::vector<KBlock*> loads;
    for (std::size_t i = 0; i < std::size(cases); ++i) loads.push_back(&AddLoad());
    ASSERT_TRUE(Build());
    for (std::size_t step = 0; step < 4; ++step) {
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            if (step >= cases[i].triggers.size()) continue;
            *model.Slot(*loads[i], "Trigger") = cases[i].triggers[step];
            *model.Slot(*loads[i], "Row") = static_cast<double>(step + 1);
        }
        ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(cases[i].name);
            if (step >= cases[i].triggers.size()) continue;
            EXPECT_EQ(model.Value(*loads[i], "Output"), cases[i].outputs[step]) << step;
            EXPECT_EQ(model.Value(*loads[i], "Trigger Out"), cases[i].triggers[step]);
        }
    }
}

TEST_F(ExcelBlocks, RowsAreLimitedToTheSheetAndEmptyCellsLoadZero) {
    const std::pair<double, double> cases[] = {{0, 1}, {-3, 1}, {2.9, 2}, {70000, 9}, {6, 0}};
    std::vector<KBlock*> loads;
    for (const auto& c : cases) {
        loads.push_back(&AddLoad());
        KTestModel::Set(*loads.back(), "Row", c.first);
    }
    ASSERT_TRUE(Build());
    for (KBlock* load : loads) *model.Slot(*load, "Output") = -1.0;
    ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
    for (std::size_t i = 0; i < loads.size(); ++i)
        EXPECT_EQ(model.Value(*loads[i], "Output"), cases[i].second) << cases[i].first;
}

TEST_F(ExcelBlocks, TextThatIsNoNumberStopsTheRunNamingTheBlock) {
    KBlock& load = AddLoad();
    load.userString = "Gain";
    KTestModel::Set(load, "Row", 5);
    ASSERT_TRUE(Build());
    EXPECT_FALSE(model.benchTop->ComputeAll(0.0));
    EXPECT_EQ(model.messages.Last().text,
              "Run time error:  cell A5 of sheet \"S\" holds \"abc\", which is not a number in "
              "KExcelLoad block named \"Gain\"");
}

TEST_F(ExcelBlocks, AMissingSheetIsARunTimeError) {
    AddLoad("A", "Sheet1");
    ASSERT_TRUE(Build());
    EXPECT_FALSE(model.benchTop->ComputeAll(0.0));
    EXPECT_NE(model.messages.Last().text.find("Excel sheet not found."), std::string::npos);
}

TEST_F(ExcelBlocks, AWorkbookThatCannotBeOpenedRefusesTheModel) {
    SetText(*file, "File", "missing.xlsx");
    AddLoad();
    EXPECT_FALSE(Build());
    EXPECT_EQ(model.messages.Last().caption, "Error");
    EXPECT_EQ(model.messages.Last().text.rfind("Could not open file \"missing.xlsx\"\n", 0), 0u)
        << model.messages.Last().text;
}

TEST_F(ExcelBlocks, StoresAreWrittenBackWhenTheRunTimeModelGoes) {
    const std::string before = test::ReadFileBytes(dir.File("book.xlsx"));
    KBlock& store = model.Add("KExcelStore", {{"Row", 3}, {"Input", 2.0 / 3.0}});
    SetText(store, "Sheet", "S");
    SetText(store, "Column", "B");
    ASSERT_TRUE(Build());
    ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
    // Nothing reaches the file while the model exists.
    EXPECT_EQ(test::ReadFileBytes(dir.File("book.xlsx")), before);
    model.benchTop.reset();
    const auto cells = test::ReadCells(dir.File("book.xlsx"), 1);
    EXPECT_EQ(cells.at("B3"), "n:0.666666666666667");
    EXPECT_EQ(cells.at("A3"), "n:3");
    EXPECT_EQ(cells.at("A5"), "s:abc");
}

TEST_F(ExcelBlocks, ABlockWorksOnTheExcelFileItsNodeNames) {
    test::WriteXlsx(dir.File("other.xlsx"), {{"S", {{0, 0, 100.0}}}});
    KBlock& second = model.Add("KExcelFile", "ExcelFile1");  // the same name on purpose
    SetText(second, "File", "other.xlsx");
    KBlock& load = AddLoad();
    KTestModel::Set(load, "Excel File", second.IDNumber());
    ASSERT_TRUE(Build());
    ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
    EXPECT_EQ(model.Value(load, "Output"), 100.0);
}

TEST_F(ExcelBlocks, TheMotorLoadsItsSheetAndSteps) {
    // Labels in A, values in B; velocity, torque and loss in D, E, F from row 20.
    const std::pair<const char*, test::KTestCellValue> kLabels[] = {
        {"Maximum current", 10.0},     {"Velocity column", "D"},
        {"Torque column", "E"},        {"Row of first velocity", 20.0},
        {"Number of velocities", 3.0}, {"Linear torque table length", 5.0},
        {"Use loss table?", "y"},      {"Loss coefficient column", "F"}};
    std::vector<test::KTestCell> cells;
    for (int row = 0; row < 8; ++row) {
        cells.push_back({row, 0, std::string(kLabels[row].first)});
        cells.push_back({row, 1, kLabels[row].second});
    }
    const double kTable[3][3] = {{0, 6, 0.5}, {40, 4, 1.5}, {100, 1, 2.5}};
    for (int i = 0; i < 3; ++i)
        for (int column = 0; column < 3; ++column)
            cells.push_back({19 + i, 3 + column, kTable[i][column]});
    test::WriteXlsx(dir.File("motor.xlsx"), {{"M", cells}});
    SetText(*file, "File", "motor.xlsx");
    KBlock& motor = model.Add("KExcelMotor", {{"Current", 4.0}, {"Velocity", 25.0}});
    SetText(motor, "Sheet", "M");
    ASSERT_TRUE(Build());
    ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
    // 6 x 4/10 = 2.4 Nm, under the limit 4.75 at 25 rad/s; the loss at 25 is
    // 0.5 + 25/40 = 1.125 Nm, so 1.275 Nm and 25 x 1.125 W.
    EXPECT_DOUBLE_EQ(model.Value(motor, "Torque"), 1.275);
    EXPECT_DOUBLE_EQ(model.Value(motor, "Current Out"), 4.0);
    EXPECT_DOUBLE_EQ(model.Value(motor, "Dynamic KT"), 0.6);
    EXPECT_DOUBLE_EQ(model.Value(motor, "Power Loss"), 28.125);
}

TEST_F(ExcelBlocks, ALegacyWorkbookLoadsButRefusesAStore) {
    const std::string legacy = std::string(KORVEL_TEST_DATA) + "/spreadsheet/legacy.xls";
    SetText(*file, "File", legacy);  // an absolute name is used as it is
    KBlock& load = AddLoad("C", "Params");
    KTestModel::Set(load, "Row", 4);
    ASSERT_TRUE(Build());
    ASSERT_TRUE(model.benchTop->ComputeAll(0.0));
    EXPECT_EQ(model.Value(load, "Output"), -7.25);

    KTestModel withStore(0.1, 1.0);
    KBlock& xls = withStore.Add("KExcelFile");
    SetText(xls, "File", legacy);
    KBlock& store = withStore.Add("KExcelStore");
    SetText(store, "Sheet", "Params");
    SetText(store, "Column", "A");
    KBenchTop& bench = withStore.Build();
    EXPECT_FALSE(bench.OpenFiles());
    EXPECT_NE(withStore.messages.Last().text.find("save it as .xlsx"), std::string::npos)
        << withStore.messages.Last().text;
}

}  // namespace
}  // namespace korvel
