// Custom modules seen from outside: the nodes a module block gets from its
// module file, where the file is found, and the rules a module must meet
// before it is saved.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "compiletesting.h"
#include "model/custmodfile.h"
#include "model/modelfile.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;
using ::testing::PrintToString;
using Texts = std::vector<std::string>;

constexpr int kCustInput = 46;
constexpr int kCustOutput = 47;
constexpr int kCustDoc = 48;
constexpr int kCustDctl = 49;

// The module block made from a module text written into a fresh folder.
struct ModuleFixture {
    TempDir dir;
    KModuleFinder finder;
    KMessageRecorder messages;
    KCustMod block;
    bool loaded = false;

    explicit ModuleFixture(const std::string& text, const std::string& name = "m.kvc")
        : finder({dir.Path()}) {
        WriteBytes(dir.File(name), text);
        block.SetFileName(name);
        loaded = LoadNodeArray(block, &finder, messages);
    }
};

TEST(ModuleInterface, EachInterfaceKindGivesItsNode) {
    ModuleFixture f(ModuleText({
                        In("u", "0", "1", "2.5"),
                        {"KCustDoc", "notes", "3", "2"},
                        {"KCustDctl", "clock", "1", "3"},
                        Out("y", "2", "4"),
                    }),
                    "four kinds.kvc");
    ASSERT_TRUE(f.loaded) << PrintToString(f.messages.Texts());
    EXPECT_TRUE(f.messages.boxes.empty());
    EXPECT_EQ(f.block.GetTypeName(), "four kinds");
    EXPECT_EQ(f.block.ResolvedPath(), f.dir.File("four kinds.kvc"));
    ASSERT_EQ(f.block.NodeCount(), 4);
    struct Want {
        const char* name;
        KRole role;
        KValueKind kind;
        KEdge edge;
        int position;
    };
    const Want kWant[] = {
        {"u", KRole::In, KValueKind::Double, KEdge::Left, 10},
        {"notes", KRole::Doc, KValueKind::Documentation, KEdge::Bottom, 20},
        {"clock", KRole::Value, KValueKind::DctlRef, KEdge::Top, 30},
        {"y", KRole::MatedIn, KValueKind::Double, KEdge::Right, 40},
    };
    for (int i = 0; i < 4; ++i) {
        const Want& w = kWant[i];
        SCOPED_TRACE(w.name);
        const KNode& n = f.block.Node(i);
        EXPECT_EQ(n.Name(), w.name);
        EXPECT_EQ(n.Role(), w.role);
        EXPECT_EQ(n.Kind(), w.kind);
        EXPECT_EQ(n.Edge(), w.edge);
        EXPECT_EQ(n.Position(), w.position);
        EXPECT_EQ(n.Ordinal(), i);
    }
    EXPECT_EQ(f.block.Node(0).value, 2.5);  // an input starts at its Initial Value
    EXPECT_EQ(f.block.Node(3).value, 0.0);
}

TEST(ModuleInterface, PositionsRoundHalvesUpAndClampToTheGrid) {
    struct Case {
        const char* position;
        int pixels;
    };
    const Case kCases[] = {
        {"0", 10},    {"25", 200}, {"2.5", 30},   {"1", 10},   {"20", 200},
        {"2.49", 20}, {"-3", 10},  {"19.5", 200}, {"nan", 10}, {"inf", 10},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.position);
        ModuleFixture f(ModuleText({Out("y", "2", c.position)}));
        ASSERT_TRUE(f.loaded) << PrintToString(f.messages.Texts());
        EXPECT_EQ(f.block.Node(0).Position(), c.pixels);
    }
}

TEST(ModuleInterface, PositionPixelsOfOddValues) {
    EXPECT_EQ(ModulePositionPixels(std::numeric_limits<double>::infinity()), 200);
    EXPECT_EQ(ModulePositionPixels(-std::numeric_limits<double>::infinity()), 10);
    // A position that is no number must still land on the block.
    EXPECT_EQ(ModulePositionPixels(std::nan("")), 10);
    EXPECT_EQ(ModulePositionPixels(1e300), 200);
}

TEST(ModuleInterface, NodesGrowTheBlockToFitThem) {
    ModuleFixture left(ModuleText({In("u", "0", "6"), Out("y", "2", "1")}));
    ASSERT_TRUE(left.loaded);
    EXPECT_EQ(left.block.Height(), 80);
    EXPECT_EQ(left.block.Width(), 40);
    ModuleFixture top(ModuleText({In("u", "1", "6"), Out("y", "3", "9")}));
    ASSERT_TRUE(top.loaded);
    EXPECT_EQ(top.block.Width(), 110);
    EXPECT_EQ(top.block.Height(), 40);
}

TEST(ModuleInterface, EdgeOutOfRangeWarnsAndTakesTheKindsEdge) {
    ModuleFixture f(ModuleText({In("u", "7", "1"), Out("y", "-1", "1")}));
    ASSERT_TRUE(f.loaded);
    std::string path = f.dir.File("m.kvc");
    EXPECT_EQ(
        f.messages.Texts(),
        (Texts{"Custom module " + path + ": the Edge of \"u\" is out of range; Left is used.",
               "Custom module " + path + ": the Edge of \"y\" is out of range; Right is used."}));
    EXPECT_EQ(f.block.Node(0).Edge(), KEdge::Left);
    EXPECT_EQ(f.block.Node(1).Edge(), KEdge::Right);
}

// A string list entry pair such as "KCustInput","Start" in a module must not
// read as the start of an interface block.
TEST(ModuleInterface, StringListEntriesNeverStartAnInterfaceBlock) {
    const Texts kStringConstant = {
        "KStringConstant,Start",
        "0,Page",
        "300,X",
        "100,Y",
        "S,UserString",
        "False,HorizSwap",
        "False,VertSwap",
        "KCustInput,Start,UserString,Strings",
        "0,InitValue",
        "5,IDNumber",
    };
    ModuleFixture f(ModuleText({Out("y", "2", "1")}, kStringConstant));
    ASSERT_TRUE(f.loaded) << PrintToString(f.messages.Texts());
    EXPECT_TRUE(f.messages.boxes.empty()) << PrintToString(f.messages.Texts());
    ASSERT_EQ(f.block.NodeCount(), 1);
    EXPECT_EQ(f.block.Node(0).Name(), "y");
}

TEST(ModuleInterface, DamagedInterfaceRecordsSayWhatIsMissing) {
    auto without = [](const std::string& text, const std::string& line) {
        std::string t = text;
        std::size_t at = t.find(line + "\r\n");
        EXPECT_NE(at, std::string::npos) << line;
        t.erase(at, line.size() + 2);
        return t;
    };
    const std::string input = ModuleText({In("u", "0", "1")});
    struct Case {
        std::string text;
        const char* message;
    };
    const Case kCases[] = {
        {without(input, "u,UserString"),
         "Error #1 in KCustMod :: LoadNodeArray--Expected UserString"},
        {without(input, "0,Edge"), "Error #2 in KCustMod :: LoadNodeArray--Expecte Edge"},
        {without(input, "1,Position"), "Error #3 in KCustMod :: LoadNodeArray--Expected Position"},
        {without(input, "0,Initial Value"),
         "Error #4 in KCustMod :: LoadNodeArray--Expected Initial Value"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.message);
        ModuleFixture f(c.text);
        EXPECT_FALSE(f.loaded);
        EXPECT_EQ(f.messages.Texts(), Texts{c.message});
    }
    ModuleFixture empty(ModuleText({}));
    EXPECT_FALSE(empty.loaded);
    EXPECT_EQ(empty.messages.Texts(), Texts{"No Custom Nodes in " + empty.dir.File("m.kvc")});
}

// A name shared by two interface blocks, reserved by the file format or
// empty cannot name a node.
TEST(ModuleInterface, RepeatedReservedAndEmptyNamesAreRefused) {
    KMessageRecorder messages;
    std::vector<KModuleNode> nodes;
    EXPECT_FALSE(ReadModuleInterface(ModuleText({Out("y", "2", "1"), Out("y", "2", "2")}),
                                     "dup.kvc", nodes, messages));
    EXPECT_EQ(messages.Texts(),
              Texts{"Custom module dup.kvc cannot be used: the interface block \"y\" "
                    "(KCustOutput) cannot name a node: another interface block has the same "
                    "name. Open the module, rename the block and save it."});
    for (const char* name : {"Start", "IDNumber", ""}) {
        SCOPED_TRACE(name);
        messages.Clear();
        std::vector<KModuleNode> fresh;
        EXPECT_FALSE(ReadModuleInterface(ModuleText({In(name, "0", "1"), Out("y", "2", "1")}),
                                         "r.kvc", fresh, messages));
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_NE(messages.boxes[0].text.find("cannot name a node"), std::string::npos);
    }
}

// ---------------------------------------------------------------------------
// Finding module files

TEST(ModuleFinder, TheFirstFolderHoldingTheFileWins) {
    TempDir a, b, c;
    WriteBytes(b.File("m.kvc"), ModuleText({Out("from b", "2", "1")}));
    WriteBytes(c.File("m.kvc"), ModuleText({Out("from c", "2", "1")}));
    KModuleFinder finder({a.Path(), b.Path(), c.Path()});
    KMessageRecorder messages;
    KCustMod block;
    // Folders stored with the name are ignored: files move between machines.
    block.SetFileName("C:\\old\\place\\m.kvc");
    ASSERT_TRUE(LoadNodeArray(block, &finder, messages));
    EXPECT_EQ(block.Node(0).Name(), "from b");
    EXPECT_EQ(block.ResolvedPath(), b.File("m.kvc"));
    EXPECT_EQ(block.FileName(), "C:\\old\\place\\m.kvc");
    EXPECT_EQ(block.GetTypeName(), "m");
}

TEST(ModuleFinder, MissingModuleFailsTheDesignLoad) {
    KModuleFinder none;  // the folder search is in the malformed set
    const std::string design = testing_compile::ModelText(false).Module("x.kvc", 0, "M").Text();
    KLoadOptions options;
    options.modules = &none;
    auto m = Load(design, options);
    EXPECT_EQ(m->result.pages, 0);
    EXPECT_EQ(m->messages.Texts(),
              (Texts{"Custom Module \"x.kvc\" not found.", "Could not load KCustMod"}));
    EXPECT_EQ(m->elements.Count(), 0);
}

// ---------------------------------------------------------------------------
// Save-time rules

struct Placed {
    int type;
    std::string name;
    double edge;
    double position;
    int parent = -1;
};

bool Check(const std::vector<Placed>& blocks, KMessageRecorder& messages) {
    KElements elements(messages);
    int id = 0;
    for (const Placed& p : blocks) {
        KBlock& b = AddBlock(elements, p.type, id, 100, 100 + 50 * id, p.name);
        ++id;
        b.FindNode("Edge")->value = p.edge;
        b.FindNode("Position")->value = p.position;
        b.SetParentModule(p.parent);
    }
    return CheckCustomModule(elements, messages);
}

TEST(ModuleRules, CheckCustomModuleRefusals) {
    const std::string reserved = " cannot name a node of the module: ";
    struct Case {
        const char* name;
        std::vector<Placed> blocks;
        std::string message;
    };
    const std::string kOutput =
        "You must have at least one Custom Module Output block in a custom module.";
    auto named = [&](const std::string& block, const std::string& why) {
        return "The interface block " + block + " on page 1" + reserved + why +
               " Rename it before saving.";
    };
    // clang-format off
    const Case kCases[] = {
        {"no output", {{kCustInput, "u", 0, 2}}, kOutput},
        {"only an output inside an expanded module",
         {{kCustInput, "u", 0, 2}, {kCustOutput, "y", 2, 1, 0}}, kOutput},
        {"two on the left at 2",
         {{kCustInput, "u", 0, 2}, {kCustInput, "v", 0, 2}, {kCustOutput, "y", 2, 1}},
         "Multiple Custom I/O on the Left at Position 2."},
        {"clash after rounding", {{kCustOutput, "y", 3, 2.4}, {kCustDoc, "d", 3, 1.6}},
         "Multiple Custom I/O on the Bottom at Position 2."},
        {"clash after clamping", {{kCustOutput, "y", 1, 25}, {kCustDctl, "c", 1, 20}},
         "Multiple Custom I/O on the Top at Position 20."},
        {"empty name", {{kCustOutput, "", 2, 1}}, named("\"\" (KCustOutput)", "it has no name.")},
        {"repeated name", {{kCustOutput, "y", 2, 1}, {kCustOutput, "y", 2, 2}},
         named("\"y\" (KCustOutput)", "another interface block has the same name.")},
        {"Start", {{kCustInput, "Start", 0, 1}, {kCustOutput, "y", 2, 1}},
         named("\"Start\" (KCustInput)", "\"Start\" is a word model files reserve.")},
        {"IDNumber", {{kCustOutput, "y", 2, 1}, {kCustDoc, "IDNumber", 3, 1}},
         named("\"IDNumber\" (KCustDoc)", "\"IDNumber\" is a word model files reserve.")},
    };
    // clang-format on
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        KMessageRecorder messages;
        EXPECT_FALSE(Check(c.blocks, messages));
        EXPECT_EQ(messages.Texts(), Texts{c.message});
    }
}

TEST(ModuleRules, AModuleThatKeepsTheRulesPasses) {
    KMessageRecorder messages;
    EXPECT_TRUE(Check({{kCustInput, "Gain, Kp", 0, 2},
                       {kCustOutput, "y", 2, 2},
                       {kCustDoc, "Model", 3, 2},
                       {kCustDctl, "Application", 1, 2},
                       {kCustInput, "w\nx", 0, 3}},
                      messages));
    EXPECT_TRUE(messages.boxes.empty()) << PrintToString(messages.Texts());
}

// A value no dialog can produce must still give a message, not undefined
// behaviour.
TEST(ModuleRules, NonFiniteInterfaceValuesAreHandled) {
    KMessageRecorder messages;
    const double nan = std::nan("");
    EXPECT_FALSE(Check({{kCustOutput, "y", nan, nan}, {kCustOutput, "z", nan, nan}}, messages));
    // Both count as at their kind's edge, one grid step along.
    EXPECT_EQ(messages.Texts(), Texts{"Multiple Custom I/O on the Right at Position 1."});
}

}  // namespace
}  // namespace korvel
