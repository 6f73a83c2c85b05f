// The compile list window: each row names the block and sheet its message is
// about, and a double-click on a row shows that block's page and selects it.
#include "app/compilelist.h"

#include <QDialog>
#include <QTableWidget>
#include <memory>

#include "windowtesting.h"

namespace korvel::testing {
namespace {

using CompileList = WindowFixture;

enum Column { kNumber = 0, kBlock = 4, kSheet = 5 };

TEST_F(CompileList, RowsNameTheirBlockAndSheetAndADoubleClickShowsTheBlock) {
    ASSERT_TRUE(window->OpenPath(CopyExample("oscillator.kvd")));
    Place("KVariable", 0, 400, 100, "twin");
    // The second twin is the one whose name clashes with an earlier one.
    const int twin = Place("KVariable", 0, 400, 200, "twin").IDNumber();
    Elements().At(0).selected = true;
    // The user is on a new, empty second page when compiling.
    Trigger("MINewPage");
    ASSERT_EQ(window->CurrentPage(), 1);
    ASSERT_TRUE(window->Compile(true));
    EXPECT_EQ(messages.recorder.Last().text, "Compile Successful!");  // a clash only warns
    ASSERT_EQ(compileLists.size(), 1u);

    std::unique_ptr<QDialog> list(
        MakeCompileList(window.get(), compileLists[0], window->CompileListPlaces()));
    auto* table = list->findChild<QTableWidget*>("SGMessages");
    int clashRow = -1;
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, kNumber)->text() == "48") clashRow = row;
    ASSERT_GE(clashRow, 0);
    EXPECT_EQ(table->item(clashRow, kBlock)->text(), "twin");
    EXPECT_EQ(table->item(clashRow, kSheet)->text(), "Oscillator");

    emit table->cellDoubleClicked(clashRow, 0);
    EXPECT_EQ(window->CurrentPage(), 0);
    for (const auto& e : Elements().All()) EXPECT_EQ(e->selected, e->IDNumber() == twin);
}

// A message about no block leaves both columns empty and a double-click on
// it, or on a block deleted since, changes nothing.
TEST_F(CompileList, RowsWithoutABlockOrWithAGoneOneDoNothing) {
    Trigger("MINewPage");
    KCompileMessage general{22, "listed while running", "", true};
    KCompileMessage gone{48, "gone", "", true};
    gone.block = 99999;
    gone.page = 0;
    std::unique_ptr<QDialog> list(
        MakeCompileList(window.get(), {general, gone}, window->CompileListPlaces()));
    auto* table = list->findChild<QTableWidget*>("SGMessages");
    EXPECT_EQ(table->item(0, kBlock)->text(), "");
    EXPECT_EQ(table->item(0, kSheet)->text(), "");
    for (int row : {0, 1}) emit table->cellDoubleClicked(row, 2);
    EXPECT_EQ(window->CurrentPage(), 1);
}

}  // namespace
}  // namespace korvel::testing
