// The element collection and its editing operations: numbering, lookups,
// order, deleting, clipboard, extender reversal, and which edits make a
// compile stale.
#include "model/elements.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/compile.h"
#include "model/modeleditor.h"
#include "model/wire.h"

namespace korvel {
namespace {

constexpr int kAdd = 53;  // Input1 L20, Input2 B20, Output R20
constexpr int kVariable = 13;
constexpr int kDctl = 107;
constexpr int kZFilter1 = 37;  // node 2 "Controller" refers to a Digital Controller

class ElementsTest : public ::testing::Test {
protected:
    KBlock& AddBlock(int type, int number, int page = 0, int x = 100, int y = 100) {
        auto b = MakeBlock(type);
        b->SetIDNumber(number);
        b->SetPage(page);
        b->SetPosition(x, y);
        return static_cast<KBlock&>(elements.Add(std::move(b)));
    }
    KWire& AddWire(int number, KBlock& from, int fromNode, KBlock& to, int toNode) {
        auto w = std::make_unique<KWire>(number, from.Page());
        w->SetStartBlockNode(fromNode);
        w->SetEndBlockNode(toNode);
        EXPECT_TRUE(w->Connect(&from, &to, messages));
        w->Route();
        return static_cast<KWire&>(elements.Add(std::move(w)));
    }
    std::vector<int> Numbers() const {
        std::vector<int> out;
        for (auto& e : elements.All()) out.push_back(e->IDNumber());
        return out;
    }

    KMessageRecorder messages;
    KElements elements{messages};
    KModelEditor editor{elements};
};

// Free numbers fill gaps and reuse deleted numbers, but (issue 12) not a
// deleted controller's while a block still refers to it, or the block would
// silently rebind to a newcomer.
TEST_F(ElementsTest, NextFreeNumberFillsGapsButSkipsNumbersStillReferenced) {
    AddBlock(kDctl, 0);
    AddBlock(kAdd, 1);
    KBlock& filter = AddBlock(kZFilter1, 3);
    EXPECT_EQ(elements.NextFreeIDNumber(), 2);
    filter.Node(2).value = 0;
    elements.DeleteElement(*elements.FindByNumber(0));
    EXPECT_EQ(elements.NextFreeIDNumber(), 2);
    filter.Node(2).value = -1;
    EXPECT_EQ(elements.NextFreeIDNumber(), 0);
    EXPECT_EQ(elements.NextFreeIDNumbers(3), (std::vector<int>{0, 2, 4}));
}

TEST_F(ElementsTest, LookupsByNumberFollowRenumbering) {
    KBlock& a = AddBlock(kAdd, 4);
    EXPECT_EQ(elements.FindByNumber(4), &a);
    a.SetIDNumber(40);
    EXPECT_EQ(elements.FindByNumber(4), nullptr);
    EXPECT_EQ(elements.FindByNumber(40), &a);
    // Duplicates answer the first in list order, as a scan would.
    KBlock& b = AddBlock(kAdd, 40);
    EXPECT_EQ(elements.FindByNumber(40), &a);
    editor.SendToBack();  // nothing selected: order unchanged
    b.selected = true;
    editor.SendToBack();
    EXPECT_EQ(elements.FindByNumber(40), &b);
}

TEST_F(ElementsTest, GetBlockAndKindLookupsReportWhatIsWrong) {
    KBlock& add = AddBlock(kAdd, 0);
    KBlock& var = AddBlock(kVariable, 1);
    var.userString = "Speed";
    KBlock& dctl = AddBlock(kDctl, 2);
    AddWire(3, add, 2, var, 0);
    EXPECT_EQ(elements.GetBlock(0), &add);
    EXPECT_EQ(elements.GetBlock(3), nullptr);
    EXPECT_EQ(elements.GetBlock(9), nullptr);
    EXPECT_EQ(elements.FindVariableWithIDNumber(1), &var);
    EXPECT_EQ(elements.FindVariableWithIDNumber(0), nullptr);
    EXPECT_EQ(elements.FindVariableWithIDNumber(99), nullptr);  // none: no message
    EXPECT_EQ(elements.FindDctlWithIDNumber(2), &dctl);
    EXPECT_EQ(elements.FindDctlWithIDNumber(1), nullptr);
    EXPECT_EQ(elements.FindExcelFileWithIDNumber(2), nullptr);
    EXPECT_EQ(elements.GetVariableIDNumber("Speed"), 1);
    EXPECT_EQ(elements.GetVariableIDNumber("Torque"), -1);
    EXPECT_EQ(elements.GetDctlIDNumber("DController"), 2);
    EXPECT_EQ(elements.GetExcelFileIDNumber("x"), -1);
    // Each misfit (a wire, a missing number, a block of another kind, an
    // unknown name) is reported; a number nothing has is not.
    EXPECT_EQ(messages.Count("Error"), 7) << ::testing::PrintToString(messages.Texts());
}

TEST_F(ElementsTest, NumberedNamesTakeTheFirstFreeNumber) {
    struct Case {
        std::vector<std::string> existing;
        std::string expected;
    };
    const Case kCases[] = {{{}, "Variable1"},
                           {{"Variable1", "Variable2"}, "Variable3"},
                           {{"Variable2"}, "Variable1"},
                           {{"Variable1", "Variable01", "Variable3"}, "Variable2"}};
    for (const Case& c : kCases) {
        elements.Clear();
        int n = 0;
        for (const auto& name : c.existing) AddBlock(kVariable, n++).userString = name;
        EXPECT_EQ(elements.FindNextNumberedString("Variable"), c.expected);
    }
}

TEST_F(ElementsTest, SendToBackAndBringToFrontKeepRelativeOrder) {
    for (int n = 0; n < 4; ++n) AddBlock(kAdd, n);  // A B C D
    elements.At(1).selected = true;
    elements.At(3).selected = true;
    editor.SendToBack();
    EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 0, 2}));
    editor.BringToFront();
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 2, 1, 3}));
}

TEST_F(ElementsTest, DeletingABlockDeletesItsWiresAndFreesTheirNodes) {
    KBlock& a = AddBlock(kAdd, 0);
    KBlock& b = AddBlock(kAdd, 1, 0, 200, 100);
    KBlock& c = AddBlock(kAdd, 2, 0, 300, 100);
    AddWire(3, a, 2, b, 0);
    AddWire(4, a, 2, b, 1);
    AddWire(5, b, 2, c, 0);
    AddWire(6, c, 2, a, 1);
    EXPECT_TRUE(elements.DeleteElement(b));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 2, 6}));
    EXPECT_TRUE(a.Node(1).connected);   // still fed by wire 6
    EXPECT_FALSE(c.Node(0).connected);  // its wire went with b
    EXPECT_EQ(messages.boxes.size(), 0u);
}

TEST_F(ElementsTest, DeleteWireChecksItsArgument) {
    KBlock& a = AddBlock(kAdd, 0);
    KWire stray(9, 0);
    EXPECT_FALSE(elements.DeleteWire(a));
    EXPECT_FALSE(elements.DeleteWire(stray));
    EXPECT_FALSE(elements.DeleteElement(stray));
    EXPECT_EQ(messages.Count("Error"), 3);
}

TEST_F(ElementsTest, DeletingAPageMovesLaterPagesDown) {
    for (int page = 0; page < 4; ++page) AddBlock(kAdd, page, page);
    elements.DeletePage(1);  // the second of four pages
    std::vector<int> pages;
    for (auto& e : elements.All()) pages.push_back(e->Page());
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(elements.IsPageEmpty(3));
}

TEST_F(ElementsTest, CopyAndPasteAcrossPagesKeepsNumbersUniqueAndWiresAttached) {
    KBlock& a = AddBlock(kAdd, 0, 0, 100, 100);
    KBlock& v = AddBlock(kVariable, 1, 0, 200, 100);
    v.userString = "Variable1";
    KWire& w = AddWire(2, a, 2, v, 0);
    AddBlock(kAdd, 3, 1);  // on another page: not copied
    a.selected = v.selected = w.selected = true;
    editor.CopyAllSelected(0);
    EXPECT_EQ(editor.ClipboardCount(), 3);

    // The originals go away before pasting: the clipboard must not depend on them.
    elements.DeleteElement(a);
    EXPECT_EQ(editor.PasteAll(1, 20, 20), 3);
    ASSERT_EQ(elements.Count(), 5);
    auto& pastedAdd = static_cast<KBlock&>(elements.At(2));
    auto& pastedVar = static_cast<KBlock&>(elements.At(3));
    auto& pastedWire = static_cast<KWire&>(elements.At(4));
    EXPECT_EQ(pastedAdd.Page(), 1);
    EXPECT_EQ(pastedAdd.X(), 120);
    EXPECT_EQ(pastedVar.userString, "Variable2");  // numbered names stay unique
    EXPECT_EQ(pastedWire.StartBlockPtr(), &pastedAdd);
    EXPECT_EQ(pastedWire.EndBlockPtr(), &pastedVar);
    EXPECT_EQ(pastedWire.StartBlock(), pastedAdd.IDNumber());
    EXPECT_TRUE(pastedVar.Node(0).connected);
    EXPECT_FALSE(v.selected);
    EXPECT_TRUE(pastedWire.selected);
    std::vector<int> numbers = Numbers();
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
}

// A block stopped by the page border reroutes every one of its wires, not
// only the first (a wire clearing the shared clamped flag would leave the
// second one shifted off its node).
TEST_F(ElementsTest, MovingAClampedBlockReroutesAllItsWires) {
    KBlock& a = AddBlock(kAdd, 0, 0, 20, 100);
    KBlock& b = AddBlock(kAdd, 1, 0, 200, 100);
    KBlock& c = AddBlock(kAdd, 2, 0, 200, 200);
    KWire& w1 = AddWire(3, a, 2, b, 0);
    KWire& w2 = AddWire(4, a, 2, c, 0);
    a.selected = b.selected = c.selected = true;
    editor.MoveSelected(0, -50, 0, 1000, 800);  // a stops at x = 0
    EXPECT_EQ(a.X(), 0);
    EXPECT_EQ(b.X(), 150);
    for (KWire* w : {&w1, &w2}) {
        EXPECT_EQ(w->route.front(), a.NodePoint(2));
        EXPECT_EQ(w->route.back(), w->EndBlockPtr()->NodePoint(w->EndBlockNode()));
    }
    EXPECT_FALSE(a.clamped);
    // A free move shifts the wires with the blocks.
    std::vector<KPoint> before = w1.route;
    editor.MoveSelected(0, 30, 10, 1000, 800);
    ASSERT_EQ(w1.route.size(), before.size());
    EXPECT_EQ(w1.route.front(), (KPoint{before.front().x + 30, before.front().y + 10}));
}

TEST_F(ElementsTest, ReversingAnExtenderKeepsItsWires) {
    KBlock& a = AddBlock(kAdd, 0, 0, 100, 100);
    KBlock& b = AddBlock(kAdd, 1, 0, 100, 200);
    KBlock& ext = AddBlock(ktype::kExtender, 2, 0, 300, 150);
    ext.userString = "speed";
    AddWire(3, a, 2, ext, 0);
    AddWire(4, b, 2, ext, 0);
    ext.selected = true;
    editor.ReverseAllSelectedExtenders(0);
    auto& replaced = static_cast<KBlock&>(elements.At(2));
    EXPECT_EQ(std::tuple(replaced.Type(), replaced.userString, replaced.IDNumber()),
              std::tuple(ktype::kExtenderOutput, std::string("speed"), 2));
    EXPECT_EQ(static_cast<KWire&>(elements.At(3)).EndBlockPtr(), &replaced);
    EXPECT_EQ(static_cast<KWire&>(elements.At(4)).EndBlockPtr(), &replaced);
    EXPECT_TRUE(replaced.Node(0).connected);
    EXPECT_EQ(elements.FindByNumber(2), &replaced);
}

TEST_F(ElementsTest, RectanglesSelectWholeBlocksOfTheirPage) {
    KBlock& a = AddBlock(kAdd, 0, 0, 100, 100);
    KBlock& b = AddBlock(kAdd, 1, 0, 400, 100);
    AddBlock(kAdd, 2, 1, 100, 100);
    editor.SelectInRect(0, {0, 0, 300, 300});
    EXPECT_EQ(editor.SelectedBlocks(), std::vector<KBlock*>{&a});
    editor.ToggleSelectInRect(0, {0, 0, 1000, 1000});
    EXPECT_EQ(editor.SelectedBlocks(), std::vector<KBlock*>{&b});
    // An element pasted one at a time takes the next free number.
    std::unique_ptr<KElement> copy = editor.PasteElement(b);
    EXPECT_EQ(copy->IDNumber(), 3);
    EXPECT_EQ(static_cast<KBlock&>(*copy).userString, b.userString);
}

// A compile points into the collection: every edit that may delete or
// reorder what it points at must make it stale, and selecting must not (the
// user selects while a compiled model runs).
TEST_F(ElementsTest, EditsMakeACompileStaleAndSelectingDoesNot) {
    KBlock& a = AddBlock(kAdd, 0);
    KBlock& b = AddBlock(kAdd, 1);
    AddWire(2, a, 2, b, 0);
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"add", [&] { AddBlock(kVariable, 10); }},
        {"delete", [&] { elements.DeleteElement(*elements.FindByNumber(10)); }},
        {"renumber", [&] { b.SetIDNumber(7); }},
        {"move",
         [&] {
             b.selected = true;
             editor.MoveSelected(0, 20, 0, 1000, 800);
         }},
        {"restack", [&] { editor.SendToBack(); }},
        {"paste",
         [&] {
             a.selected = true;
             editor.CopyAllSelected(0);
             editor.PasteAll(1, 0, 0);
         }},
        {"delete page", [&] { elements.DeletePage(1); }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        const KCompiled compiled = CompileModel(elements, {}, messages);
        EXPECT_TRUE(compiled.IsCurrent(elements));
        editor.SelectInRect(0, {0, 0, 1000, 1000});
        editor.ClearSelection();
        EXPECT_TRUE(compiled.IsCurrent(elements));
        edit();
        EXPECT_FALSE(compiled.IsCurrent(elements));
    }
}

}  // namespace
}  // namespace korvel
