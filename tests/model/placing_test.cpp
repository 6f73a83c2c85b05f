// What a block gets when a user places or pastes it: bound controller and
// workbook references, free places for module interface blocks; and the
// module files that contain themselves, which placing refuses.
#include "model/placing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/messagerecorder.h"
#include "model/block.h"
#include "model/custmodfile.h"
#include "model/modeleditor.h"
#include "model/modulenesting.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;

constexpr int kVariable = 13;
constexpr int kScope = 105;
constexpr int kDctl = 107;
constexpr int kZFilter1 = 37;  // node 2 "Controller" names a Digital Controller
constexpr int kExcelFile = 146;
constexpr int kExcelLoad = 147;
constexpr int kCustInput = 46;
constexpr int kCustOutput = 47;

class Placing : public ::testing::Test {
protected:
    KBlock& Place(int type, int x = 100, int y = 100) {
        return editor.PlaceBlock(MakeBlock(type), 0, x, y);
    }
    static double ValueOf(const KBlock& b, const char* node) { return b.FindNode(node)->value; }

    KMessageRecorder messages;
    KElements elements{messages};
    KModelEditor editor{elements};
};

TEST_F(Placing, AReferenceIsBoundOnlyToTheSoleBlockOfItsKind) {
    struct Case {
        int controllers;
        bool bound;
    };
    for (const Case c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
        elements.Clear();
        int last = -1;
        for (int i = 0; i < c.controllers; ++i) last = Place(kDctl).IDNumber();
        const KBlock& filter = Place(kZFilter1);
        EXPECT_EQ(ValueOf(filter, "Controller"), c.bound ? last : -1) << c.controllers;
    }
}

TEST_F(Placing, WorkbookReferencesAreBoundAndVariableReferencesStayUnset) {
    const int file = Place(kExcelFile).IDNumber();
    Place(kVariable);
    EXPECT_EQ(ValueOf(Place(kExcelLoad), "Excel File"), file);
    const KBlock& scope = Place(kScope);
    EXPECT_EQ(ValueOf(scope, "Trigger Source"), -1);
    EXPECT_EQ(ValueOf(scope, "H-Channel"), -1);
}

TEST_F(Placing, PlacedBlocksAreNumberedNamedSnappedAndSolelySelected) {
    const KBlock& first = Place(kVariable, 14, 15);
    const KBlock& second = Place(kVariable);
    EXPECT_EQ(first.userString, "Variable1");
    EXPECT_EQ(second.userString, "Variable2");
    EXPECT_EQ(first.X(), 10);
    EXPECT_EQ(first.Y(), 20);
    EXPECT_FALSE(first.selected);
    EXPECT_TRUE(second.selected);
}

TEST_F(Placing, InterfaceBlocksTakeTheLowestFreePlaceOnTheirEdge) {
    const KBlock& in1 = Place(kCustInput);
    const KBlock& in2 = Place(kCustInput);
    KBlock& in3 = Place(kCustInput);
    const KBlock& out = Place(kCustOutput);  // the right edge is still free
    EXPECT_EQ(InterfacePlace(in1), (KInterfacePlace{0, 1}));
    EXPECT_EQ(InterfacePlace(in2), (KInterfacePlace{0, 2}));
    EXPECT_EQ(InterfacePlace(in3), (KInterfacePlace{0, 3}));
    EXPECT_EQ(InterfacePlace(out), (KInterfacePlace{2, 1}));
    // A gap left by a moved block is filled first.
    in3.FindNode("Position")->value = 7;
    EXPECT_EQ(InterfacePlace(Place(kCustInput)), (KInterfacePlace{0, 3}));
    EXPECT_TRUE(CheckCustomModule(elements, messages)) << messages.Texts().front();
}

TEST_F(Placing, PastedCopiesAreBoundAndLeaveTakenPlaces) {
    KBlock& filter = Place(kZFilter1);
    KBlock& input = Place(kCustInput);
    filter.selected = input.selected = true;
    editor.CopyAllSelected(0);
    const int controller = Place(kDctl).IDNumber();
    ASSERT_EQ(editor.PasteAll(0, 20, 20), 2);
    const KBlock& pastedFilter = static_cast<const KBlock&>(elements.At(3));
    const KBlock& pastedInput = static_cast<const KBlock&>(elements.At(4));
    EXPECT_EQ(ValueOf(pastedFilter, "Controller"), controller);
    EXPECT_EQ(ValueOf(filter, "Controller"), -1);  // the original is not touched
    EXPECT_EQ(InterfacePlace(pastedInput), (KInterfacePlace{0, 2}));
    EXPECT_EQ(pastedInput.userString, "Input2");
}

// --- Modules inside modules ------------------------------------------------------

// A module record naming another module file, as a design file writes it.
std::vector<std::string> ModuleBlock(const std::string& file) {
    return {"KCustMod,Start", file + ",FileName", "0,Page", "100,X", "100,Y",
            "Inner,UserString", "False,HorizSwap", "False,VertSwap", "7,IDNumber"};
}

struct Nesting : ::testing::Test {
    // Writes module files: each name with the module files it holds.
    void Write(const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
        for (const auto& [name, inner] : files) {
            std::vector<std::string> before;
            for (const std::string& file : inner)
                for (std::string& line : ModuleBlock(file)) before.push_back(std::move(line));
            WriteBytes(dir.File(name), ModuleText({Out("y", "2", "1")}, before));
        }
    }
    bool Check(const std::string& name, const std::string& into = "") {
        return CheckModuleNesting(dir.File(name), into, KModuleFinder({dir.Path()}), messages);
    }

    TempDir dir;
    KMessageRecorder messages;
};

TEST_F(Nesting, ModulesThatLeadBackToThemselvesAreNamedWithTheirChain) {
    struct Case {
        std::vector<std::pair<std::string, std::vector<std::string>>> files;
        std::string message;  // empty: accepted
    };
    const std::string advice =
        "). Open the module and delete the module block that leads back to it.";
    const Case cases[] = {
        {{{"a.kvc", {"b.kvc", "c.kvc"}}, {"b.kvc", {"c.kvc"}}, {"c.kvc", {}}}, ""},
        {{{"a.kvc", {"missing.kvc"}}}, ""},
        {{{"a.kvc", {"a.kvc"}}},
         "Custom module a.kvc cannot be used: it contains itself (a.kvc contains a.kvc" + advice},
        // Folders in the stored name do not hide the loop: modules go by bare name.
        {{{"a.kvc", {"b.kvc"}}, {"b.kvc", {"C:\\old\\a.kvc"}}},
         "Custom module a.kvc cannot be used: it contains itself (a.kvc contains b.kvc contains "
         "a.kvc" + advice},
        {{{"a.kvc", {"b.kvc"}}, {"b.kvc", {"c.kvc"}}, {"c.kvc", {"b.kvc"}}},
         "Custom module a.kvc cannot be used: the module b.kvc inside it contains itself (a.kvc "
         "contains b.kvc contains c.kvc contains b.kvc" + advice},
    };
    for (const Case& c : cases) {
        messages.boxes.clear();
        Write(c.files);
        EXPECT_EQ(Check("a.kvc"), c.message.empty()) << c.message;
        if (c.message.empty()) {
            EXPECT_TRUE(messages.boxes.empty()) << messages.Texts().front();
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.Last().text, c.message);
        }
    }
}

// A module file being edited must not come to hold itself through a placed block.
TEST_F(Nesting, TheModuleBeingEditedMayNotBePlacedIntoItself) {
    Write({{"host.kvc", {}}, {"a.kvc", {"b.kvc"}}, {"b.kvc", {"host.kvc"}}});
    const std::string advice =
        "). Open the module and delete the module block that leads back to it.";
    EXPECT_FALSE(Check("host.kvc", dir.File("host.kvc")));
    EXPECT_EQ(messages.Last().text, "Custom module host.kvc cannot be used: host.kvc would contain "
                                    "itself (host.kvc contains host.kvc" + advice);
    EXPECT_FALSE(Check("a.kvc", dir.File("host.kvc")));
    EXPECT_EQ(messages.Last().text, "Custom module a.kvc cannot be used: host.kvc would contain "
                                    "itself (host.kvc contains a.kvc contains b.kvc contains host.kvc" +
                                        advice);
    messages.boxes.clear();
    EXPECT_TRUE(Check("a.kvc", dir.File("design.kvd")));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST(NestedModuleNames, OnlyTheFileNameLineOfAModuleRecordCounts) {
    const std::string text =
        "KCustMod,Start\nm1.kvc,FileName\n0,Page\n"
        "KTextConst,Start\nnot a module.kvc,FileName\n"  // a node that happens to be so named
        "KCustMod,Start\n0,Page\nlate.kvc,FileName\n"      // not where a module names its file
        "KCustMod,Start\nm2.kvc,FileName\n";
    EXPECT_EQ(NestedModuleNames(text), (std::vector<std::string>{"m1.kvc", "m2.kvc"}));
}

}  // namespace
}  // namespace korvel
