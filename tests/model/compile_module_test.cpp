// Compiling models with custom modules: expansion, renumbering, joining
// module blocks to their insides, and the failures of unreadable modules.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "compiletesting.h"
#include "model/compile.h"

namespace korvel {
namespace {

using namespace testing_compile;
using Numbers = std::vector<int>;
using Texts = std::vector<std::string>;

// A module that adds 0 to its input: In (0) -> adder (1) -> Out (2).
std::string AdderModule() {
    return ModelText(true)
        .Input(0, "In", 2)
        .Block("KAdd", 1, "Sum")
        .Output(2, "Out", 2)
        .Wire(3, 0, 0, 1, 0)
        .Wire(4, 1, 2, 2, 0)
        .Text();
}

class CompileModuleTest : public CompileFixture {
protected:
    KCustMod& Module(const std::string& file, int number) {
        return AddModule(elements, folder, messages, file, number);
    }
    bool Compile() { return CompileFixture::Compile(&folder.Finder()); }
    // Every element's number, in collection order.
    Numbers AllNumbers() const {
        Numbers out;
        for (const auto& e : elements.All()) out.push_back(e->IDNumber());
        return out;
    }
    KBlock& BlockNumbered(int n) { return *elements.GetBlock(n); }

    ModuleFolder folder;
};

// Two instances of one file: the second instance's offset is one more than
// the largest number of the top-level model and the first instance.
TEST_F(CompileModuleTest, InstancesAreNumberedAfterEachOther) {
    folder.Write("Adder.kvc", AdderModule());
    AddRunnable();
    KBlock& time = Block(kTime, 3);
    KCustMod& m1 = Module("Adder.kvc", 4);
    KCustMod& m2 = Module("Adder.kvc", 5);
    ASSERT_EQ(m1.NodeCount(), 2);  // In, Out
    Wire(6, time, 0, m1, 0);
    Wire(7, m1, 1, m2, 0);
    Wire(8, m2, 1, *variable, 0);
    ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(compiled.instanceCount, 2);
    EXPECT_EQ(m1.instanceIndex, 0);
    EXPECT_EQ(m2.instanceIndex, 1);
    // Top level 0..8; first instance +9; second +14 (1 + 13); hidden wires 19..22.
    EXPECT_EQ(AllNumbers(), (Numbers{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                     12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}));
    const auto& inner = static_cast<const KWire&>(*elements.FindByNumber(17));
    EXPECT_EQ(inner.StartBlockPtr(), &BlockNumbered(14));
    EXPECT_EQ(inner.EndBlockPtr(), &BlockNumbered(15));
    for (int n = 9; n <= 22; ++n) EXPECT_EQ(elements.FindByNumber(n)->Page(), -1) << n;
    const auto& hidden = static_cast<const KWire&>(*elements.FindByNumber(21));
    EXPECT_EQ(hidden.ParentModule(), 1);
    EXPECT_EQ(hidden.StartBlockPtr(), &BlockNumbered(14));
    EXPECT_EQ(hidden.EndBlockPtr(), &m2);
    // Pass 1: time, then the insides; pass 2: the variable and the module blocks,
    // which wait for the adders that drive their outputs.
    EXPECT_EQ(OrderedNumbers(compiled), (Numbers{0, 3, 9, 10, 11, 14, 15, 16, 1, 4, 5, 2}));
    // The time signal reaches the first adder through the module's input.
    EXPECT_EQ(BlockNumbered(10).Node(0).netLink, time.Node(0).netLink);
}

TEST_F(CompileModuleTest, UnwiredModuleInputFeedsItsOwnValue) {
    folder.Write("Adder.kvc", AdderModule());
    AddRunnable();
    KCustMod& m = Module("Adder.kvc", 3);
    Wire(4, m, 1, *variable, 0);
    ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
    EXPECT_TRUE(m.Node(0).sourceFlag);
    EXPECT_FALSE(m.Node(1).sourceFlag);
    KBlock& adder = BlockNumbered(6);  // local 1, offset 5
    ASSERT_GE(adder.Node(0).netLink, 0);
    const KNet& net = compiled.nets[static_cast<std::size_t>(adder.Node(0).netLink)];
    EXPECT_EQ(net.sourceBlock, &m);
    EXPECT_EQ(net.sourceNode, 0);
}

TEST_F(CompileModuleTest, ModuleContainingItselfStopsAtTheLimit) {
    folder.Write("Self.kvc",
                 ModelText(true).Output(0, "Out", 2).Module("Self.kvc", 1, "Again").Text());
    AddRunnable();
    Module("Self.kvc", 3);
    ASSERT_TRUE(messages.boxes.empty()) << ::testing::PrintToString(messages.Texts());
    EXPECT_FALSE(Compile());
    EXPECT_EQ(compiled.instanceCount, kMaxModuleInstances);
    EXPECT_EQ(messages.Texts(), Texts{"Exceeded maximum number of custom modules (1000).  \n"
                                      "Probably results from a custom module reloading itself."});
}

// Instances are numbered after the largest number in use; numbers that would
// pass the int range, for the instance or for the hidden wires after it,
// fail the compile with a message instead of wrapping around.
TEST_F(CompileModuleTest, NumbersBeyondTheIntRangeFailTheCompile) {
    folder.Write("Adder.kvc", AdderModule());  // local numbers 0..4
    for (int largest : {INT_MAX - 2, INT_MAX - 5}) {
        SCOPED_TRACE(largest);
        KMessageRecorder sink;
        KElements model(sink);
        AddBlock(model, kSolver, 0);
        AddBlock(model, kVariable, 1);
        AddBlock(model, kScope, largest);
        AddModule(model, folder, sink, "Adder.kvc", 3);
        KCompileOptions options;
        options.modules = &folder.Finder();
        EXPECT_FALSE(CompileModel(model, options, sink).Ok());
        ASSERT_EQ(sink.boxes.size(), 1u) << ::testing::PrintToString(sink.Texts());
        EXPECT_NE(sink.boxes[0].text.find("cannot be expanded"), std::string::npos);
    }
}

TEST_F(CompileModuleTest, UnreadableModulesFailTheCompile) {
    struct Case {
        const char* name;
        std::string outerText;  // written as Outer.kvc after the block has read its nodes
        Texts expected;         // fragments the messages must hold
    };
    const std::string interface = ModelText(true).Output(0, "Out", 2).Text();
    const Case cases[] = {
        {"nested module missing",
         ModelText(true).Output(0, "Out", 2).Module("Missing.kvc", 1).Text(),
         {"Custom Module \"Missing.kvc\" not found.", "Could not load KCustMod"}},
        {"module cut short",
         ModelText(true).Output(0, "Out", 2).Block("KAdd", 1).Truncated(),
         {"Unexpected file end"}},
        {"module gone since the design was read",
         "",
         {"Custom Module \"Outer.kvc\" not found.", "Cannot open Outer.kvc"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        elements.Clear();
        messages.Clear();
        folder.Write("Outer.kvc", interface);
        AddRunnable();
        KCustMod& m = Module("Outer.kvc", 3);
        Wire(4, m, 0, *variable, 0);
        if (c.outerText.empty())
            folder.Remove("Outer.kvc");
        else
            folder.Write("Outer.kvc", c.outerText);
        messages.Clear();
        EXPECT_FALSE(Compile());
        for (const std::string& fragment : c.expected)
            EXPECT_TRUE(messages.HasText(fragment)) << fragment << "\n"
                                                    << ::testing::PrintToString(messages.Texts());
        EXPECT_TRUE(compiled.ordered.empty());
    }
}

// Each instance's references move with its numbers: the filter names the
// controller of its own instance, the scope's trigger and the analyzer's
// buttons the Variables of their own instance; a reference to nothing (-1)
// stays so.
TEST_F(CompileModuleTest, ReferencesMoveWithTheirInstance) {
    std::string buttons = "10,True,Step,4,5";
    for (int i = 1; i < kDsaButtonCount; ++i) buttons += ",False,,-1,-1";
    folder.Write("Digital.kvc",
                 ModelText(true)
                     .Block("KDctl", 0, "Clock")
                     .Block("KZFilter1", 1, "Filter", {"0,Controller"})
                     .Input(2, "In", 2)
                     .Output(3, "Out", 2)
                     .Block("KVariable", 4, "Inner1")
                     .Block("KVariable", 5, "Inner2")
                     .Block("KScope", 6, "Look", {"4,Trigger Source", "-1,H-Channel"})
                     .Block("KDsa", 7, "Analyzer", {buttons + ",Button Setup"})
                     .Wire(8, 2, 0, 1, 1)
                     .Wire(9, 1, 0, 3, 0)
                     .Text());
    AddRunnable();
    KBlock& time = Block(kTime, 3);
    KCustMod& m1 = Module("Digital.kvc", 4);
    KCustMod& m2 = Module("Digital.kvc", 5);
    Wire(6, time, 0, m1, 0);
    Wire(7, m1, 1, m2, 0);
    Wire(8, m2, 1, *variable, 0);
    ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
    // Offsets 9 and 19 (1 + 9 + 9).
    for (int offset : {9, 19}) {
        SCOPED_TRACE(offset);
        KBlock& filter = BlockNumbered(offset + 1);
        EXPECT_EQ(filter.Node(2).value, offset);
        EXPECT_EQ(compiled.controllerOf.at(&filter), &BlockNumbered(offset));
        KBlock& scope = BlockNumbered(offset + 6);
        EXPECT_EQ(scope.FindNode("Trigger Source")->value, offset + 4);
        EXPECT_EQ(scope.FindNode("H-Channel")->value, -1.0);
        const KDsaButtons& b = BlockNumbered(offset + 7).FindNode("Button Setup")->Buttons();
        EXPECT_EQ(b[0].outputVariable, offset + 4);
        EXPECT_EQ(b[0].inputVariable, offset + 5);
        EXPECT_EQ(b[1].outputVariable, -1);
    }
}

// With one controller in the whole model, a filter that chose none is bound
// to it across a module's border either way, but its node keeps -1: the
// module file's meaning ("the only controller") must not turn into a number
// that only this expansion gives, nor (issue 12) the saved design name a
// number that exists only while the module is expanded.
TEST_F(CompileModuleTest, OnlyControllerAcrossAModuleBorderIsBoundWithoutWritingTheNode) {
    for (bool filterInside : {true, false}) {
        SCOPED_TRACE(filterInside);
        elements.Clear();
        // Inside, In -> filter -> Out, or In -> Out beside a controller.
        ModelText text(true);
        text.Block(filterInside ? "KZFilter1" : "KDctl", 0, "Inner").Input(1, "In", 2);
        text.Output(2, "Out", 2);
        if (filterInside)
            text.Wire(3, 1, 0, 0, 1).Wire(4, 0, 0, 2, 0);
        else
            text.Wire(3, 1, 0, 2, 0);
        folder.Write("M.kvc", text.Text());
        AddRunnable();
        KBlock& top = Block(filterInside ? kDctl : kZFilter1, 3);
        KCustMod& m = Module("M.kvc", 4);
        Wire(5, m, 1, *variable, 0);
        ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
        // Top level 0..5, the instance from 6 on.
        KBlock& filter = filterInside ? BlockNumbered(6) : top;
        KBlock& controller = filterInside ? top : BlockNumbered(6);
        EXPECT_EQ(filter.Node(2).value, -1.0);
        EXPECT_EQ(compiled.controllerOf.at(&filter), &controller);
    }
}

// A compile that fails early must not leave the previous compile's order,
// nets or bindings behind: they point at blocks of the discarded expansion.
TEST_F(CompileModuleTest, FailedCompileForgetsThePreviousOne) {
    folder.Write("Digital.kvc", ModelText(true)
                                    .Block("KDctl", 0, "Clock")
                                    .Block("KZFilter1", 1, "Filter", {"0,Controller"})
                                    .Output(2, "Out", 2)
                                    .Wire(3, 1, 0, 2, 0)
                                    .Text());
    AddRunnable();
    KCustMod& m = Module("Digital.kvc", 3);
    Wire(4, m, 0, *variable, 0);
    ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
    ASSERT_FALSE(compiled.controllerOf.empty());
    const KCompiled first = compiled;
    EXPECT_TRUE(first.IsCurrent(elements));
    folder.Remove("Digital.kvc");
    EXPECT_FALSE(Compile());
    // The expansion the first compile pointed into is gone, and it says so.
    EXPECT_FALSE(first.IsCurrent(elements));
    EXPECT_TRUE(compiled.ordered.empty());
    EXPECT_TRUE(compiled.nets.empty());
    EXPECT_TRUE(compiled.controllerOf.empty());
    EXPECT_EQ(variable->Node(0).netLink, -1);
}

}  // namespace
}  // namespace korvel
