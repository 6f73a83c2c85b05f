// Compiling models without custom modules: numbering and extender checks,
// net building, rule checks, reference binding and ordering.
#include "model/compile.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "compiletesting.h"

namespace korvel {
namespace {

using namespace testing_compile;
using Numbers = std::vector<int>;
using Texts = std::vector<std::string>;

const std::string kUnordered =
    "Not all blocks could be ordered. \nUnordered blocks are shown in red.";
const std::string kTwoSolvers =
    "A model cannot have more than one solver. This model has at least two.";
const std::string kNoSolver = "A model must have at least one solver (see Instruments tab).";
const std::string kNoVariable = "A model must have at least one variable (see Instruments tab).";
const std::string kNoScope = "A model must have at least one scope (see Instruments tab).";
const std::string kDsaVariables = "A model with a DSA must have at least two variables.";
const std::string kSourceless =
    "One or more wires found without a valid source.  These wires serve no function.";

class CompileTest : public CompileFixture {
public:
    Numbers SelectedWires() const {
        Numbers out;
        for (const auto& e : elements.All())
            if (e->IsWire() && e->selected) out.push_back(e->IDNumber());
        return out;
    }
};

// The integrator's output is a state, known before the step: whatever reads
// it need not wait. Its input, fed by the adder, waits for the adder, so the
// adder comes first whichever of the two stands first in the collection.
TEST_F(CompileTest, IntegratorLoopIsBrokenByTheStateOutput) {
    struct Case {
        const char* name;
        bool integratorFirst;
        Numbers order;
    };
    const Case cases[] = {
        {"adder first in the collection", false, {0, 1, 3, 4, 2}},
        {"integrator first in the collection", true, {0, 1, 4, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        elements.Clear();
        messages.Clear();
        AddRunnable();
        KBlock& first = Block(c.integratorFirst ? kInt : kAdd, 3);
        KBlock& second = Block(c.integratorFirst ? kAdd : kInt, 4);
        KBlock& integrator = c.integratorFirst ? first : second;
        KBlock& adder = c.integratorFirst ? second : first;
        Wire(5, integrator, 1, adder, 0);
        Wire(6, adder, 2, integrator, 0);
        Wire(7, integrator, 1, *variable, 0);
        ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
        EXPECT_EQ(OrderedNumbers(compiled), c.order);
        EXPECT_TRUE(messages.boxes.empty());
        EXPECT_TRUE(RedNumbers(elements).empty());
    }
}

TEST_F(CompileTest, AlgebraicLoopCannotBeOrdered) {
    AddRunnable();
    KBlock& a = Block(kAdd, 3);
    KBlock& b = Block(kAdd, 4);
    Wire(5, a, 2, b, 0);
    Wire(6, b, 2, a, 0);
    EXPECT_FALSE(Compile());
    EXPECT_EQ(messages.Texts(), Texts{kUnordered});
    EXPECT_EQ(messages.Last().caption, "Error");
    // Only the loop is at fault: the scope, which never had its turn, is not red.
    EXPECT_EQ(RedNumbers(elements), (Numbers{3, 4}));
    EXPECT_EQ(OrderedNumbers(compiled), (Numbers{0, 1}));
}

// Blocks stand against their data flow in the collection: each pass takes
// one more link of the chain, and a block taken earlier in a pass already
// counts for the blocks after it.
TEST_F(CompileTest, OrderFollowsThePasses) {
    AddRunnable();
    KBlock& c = Block(kAdd, 3);
    KBlock& b = Block(kAdd, 4);
    KBlock& a = Block(kAdd, 5);
    KBlock& t = Block(kTime, 6);
    KBlock& d = Block(kAdd, 7);  // after the time block: same pass
    Wire(8, t, 0, a, 0);
    Wire(9, a, 2, b, 0);
    Wire(10, b, 2, c, 0);
    Wire(11, c, 2, *variable, 0);
    Wire(12, t, 0, d, 0);
    ASSERT_TRUE(Compile());
    // Pass 1: time, d; pass 2: a; pass 3: b; pass 4: c; pass 5: the variable.
    EXPECT_EQ(OrderedNumbers(compiled), (Numbers{0, 6, 7, 5, 4, 3, 1, 2}));
}

// Blocks numbered from 3 of the given types and wires numbered from 7, from
// {block, node} to {block, node}; extenders are named "x".
TEST_F(CompileTest, NetFaultsFailWithTheirMessage) {
    struct Case {
        std::vector<int> types;
        std::vector<std::array<int, 4>> wires;
        std::string message;
        int wire;  // the wire highlighted
    };
    const Case kCases[] = {
        {{kTime, kAdd}, {{3, 0, 4, 2}}, "Wire connects two outputs", 7},
        // An output through an extender pair to another output.
        {{kTime, kExtender, kTime, kExtenderOutput},
         {{3, 0, 4, 0}, {5, 0, 6, 0}},
         "Two outputs connected through more than one wire",
         8},
        // A second output reached from the net's source.
        {{kTime, kAdd, kTime},
         {{3, 0, 4, 0}, {3, 0, 5, 0}},
         "Two outputs connected through one wire",
         8},
        // Two wires between the same nodes.
        {{kTime, kAdd}, {{3, 0, 4, 0}, {3, 0, 4, 0}}, "Wires connected in a circle.", 8},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.message);
        elements.Clear();
        messages.Clear();
        AddRunnable();
        std::vector<KBlock*> blocks;
        for (std::size_t i = 0; i < c.types.size(); ++i) {
            blocks.push_back(&Block(c.types[i], 3 + static_cast<int>(i)));
            blocks.back()->userString = "x";
        }
        int number = 7;
        for (const auto& [from, fromNode, to, toNode] : c.wires)
            Wire(number++, *blocks[static_cast<std::size_t>(from - 3)], fromNode,
                 *blocks[static_cast<std::size_t>(to - 3)], toNode);
        EXPECT_FALSE(Compile());
        EXPECT_EQ(messages.Texts(), Texts{c.message});
        EXPECT_EQ(SelectedWires(), Numbers{c.wire});
        EXPECT_TRUE(compiled.nets.empty());
    }
}

TEST_F(CompileTest, NetsRecordTheirSourceAndReachEveryNode) {
    AddRunnable();
    KBlock& time = Block(kTime, 3);
    KBlock& ext = Block(kExtender, 4);
    KBlock& extOut = Block(kExtenderOutput, 5);
    KBlock& add = Block(kAdd, 6);
    ext.userString = extOut.userString = "across";
    KWire& w1 = Wire(7, time, 0, ext, 0);
    KWire& w2 = Wire(8, extOut, 0, add, 0);
    KWire& w3 = Wire(9, add, 2, *variable, 0);
    ASSERT_TRUE(Compile());
    ASSERT_EQ(compiled.nets.size(), 2u);
    EXPECT_EQ(std::tuple(compiled.nets[0].sourceBlock, compiled.nets[0].sourceNode,
                         compiled.nets[1].sourceBlock, compiled.nets[1].sourceNode),
              std::tuple(&time, 0, &add, 2));
    EXPECT_EQ(std::tuple(w1.net, w2.net, w3.net), std::tuple(0, 0, 1));
    // Add's second input is unwired.
    EXPECT_EQ((Numbers{time.Node(0).netLink, ext.Node(0).netLink, extOut.Node(0).netLink,
                       add.Node(0).netLink, add.Node(1).netLink, variable->Node(0).netLink}),
              (Numbers{0, 0, 0, 0, -1, 1}));
    EXPECT_EQ(OrderedNumbers(compiled), (Numbers{0, 3, 4, 5, 6, 1, 2}));
}

TEST_F(CompileTest, WiresWithoutSourceWarnOnceAndCompile) {
    AddRunnable();
    KBlock& a = Block(kAdd, 3);
    KBlock& b = Block(kAdd, 4);
    Wire(5, a, 0, b, 0);
    Wire(6, a, 1, b, 1);
    EXPECT_TRUE(Compile());
    EXPECT_EQ(messages.Texts(), Texts{kSourceless});
    EXPECT_EQ(messages.Last().caption, "Warning");
    EXPECT_EQ(SelectedWires(), (Numbers{5, 6}));
}

TEST_F(CompileTest, ExtenderWithoutMateWarnsAndCompiles) {
    AddRunnable();
    Block(kExtender, 3).userString = "lonely";
    Block(kExtender, 4).userString = "pair";
    Block(kExtenderOutput, 5).userString = "pair";
    EXPECT_TRUE(Compile());
    EXPECT_EQ(messages.Texts(), Texts{"Extender \"lonely\" has no mate."});
    EXPECT_EQ(messages.Last().caption, "Warning");
}

// The number reported is that of the first element that shares its number.
TEST_F(CompileTest, SharedNumberFails) {
    AddRunnable();
    Block(kTime, 5);
    Block(kAdd, 7);
    Block(kAdd, 7);
    Block(kAdd, 5);
    EXPECT_FALSE(Compile());
    EXPECT_EQ(messages.Texts(), Texts{"Two elements have IDNumber: 5"});
}

TEST_F(CompileTest, EveryBrokenRuleIsReportedAndTheLastMarksRed) {
    struct Case {
        const char* name;
        std::vector<int> types;  // numbered 0, 1, 2, ...
        Texts messages;
        Numbers red;
    };
    const Case cases[] = {
        {"two solvers, no variable, no scope",
         {kSolver, kSolver},
         {kTwoSolvers, kNoVariable, kNoScope},
         {}},
        {"two solvers only", {kSolver, kSolver, kVariable, kScope}, {kTwoSolvers}, {0, 1}},
        {"no solver", {kVariable, kScope}, {kNoSolver}, {}},
        {"signal analyzer with one variable",
         {kSolver, kVariable, kScope, kDsa},
         {kDsaVariables},
         {3}},
        {"signal analyzer, one variable, no scope",
         {kSolver, kVariable, kDsa},
         {kDsaVariables, kNoScope},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        elements.Clear();
        messages.Clear();
        for (std::size_t i = 0; i < c.types.size(); ++i) Block(c.types[i], static_cast<int>(i));
        EXPECT_FALSE(Compile());
        EXPECT_EQ(messages.Texts(), c.messages);
        EXPECT_EQ(RedNumbers(elements), c.red);
    }
}

// The only controller is bound and written into the node; of two, the
// chosen one is bound. The Solver comes first, then the controllers, then
// the ordered blocks, then the scope.
TEST_F(CompileTest, ControllersAreBound) {
    for (int controllers : {1, 2}) {
        SCOPED_TRACE(controllers);
        elements.Clear();
        AddRunnable();
        for (int i = 0; i < controllers; ++i) Block(kDctl, 3 + i);
        KBlock& filter = Block(kZFilter1, 5);
        if (controllers == 2) filter.Node(2).value = 4;
        ASSERT_TRUE(Compile()) << ::testing::PrintToString(messages.Texts());
        EXPECT_EQ(filter.Node(2).value, controllers == 1 ? 3.0 : 4.0);
        EXPECT_EQ(compiled.controllerOf.at(&filter), elements.GetBlock(controllers == 1 ? 3 : 4));
        EXPECT_EQ(OrderedNumbers(compiled),
                  controllers == 1 ? (Numbers{0, 3, 1, 5, 2}) : (Numbers{0, 3, 4, 1, 5, 2}));
    }
}

TEST_F(CompileTest, BindingFailuresShowTheBlockAtFault) {
    // The location names the block, its type and its page.
    const std::string location = "\n\nBlock Name: Filter\nBlock Type: KZFilter1\nPage : 3";
    struct Case {
        const char* name;
        int controllers;
        double reference;
        Texts messages;
    };
    const Case cases[] = {
        {"two controllers, none chosen",
         2,
         -1,
         {"Error:\nYou must choose one the digital controllers for this block.\n"
          "The Controller is selected through the \"Controller\" node." +
          location}},
        {"chosen controller deleted",
         1,
         99,
         {"Error:\nThe Controller for this node was deleted.\n"
          "The Controller can be selected through the \"Controller\" node." +
          location}},
        {"chosen block is a variable",
         1,
         1,
         {"Logic Error#1 in KElements :: FindDctlWithIDNumber: Not a Dctl",
          "Error:\nThe Controller for this node was deleted.\n"
          "The Controller can be selected through the \"Controller\" node." +
              location}},
        {"no controller at all", 0, -1, {"Digital blocks require at least one digital controller"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        elements.Clear();
        messages.Clear();
        AddRunnable();
        for (int i = 0; i < c.controllers; ++i) Block(kDctl, 10 + i);
        KBlock& filter = AddBlock(elements, kZFilter1, 5, 3);
        filter.userString = "Filter";
        filter.Node(2).value = c.reference;
        EXPECT_FALSE(Compile());
        EXPECT_EQ(messages.Texts(), c.messages);
        EXPECT_EQ(RedNumbers(elements), Numbers{5});
    }
}

TEST_F(CompileTest, SpreadsheetBlocksBindToTheirExcelFile) {
    const std::string location = "\n\nBlock Name: Load\nBlock Type: KExcelLoad\nPage : 0";
    struct Case {
        const char* name;
        int files;
        Texts messages;
    };
    const Case cases[] = {
        {"one file", 1, {}},
        {"two files, none chosen",
         2,
         {"Error:\nYou must choose one the Excel files for this block.\n"
          "The Controller is selected through the \"Excel File\" node." +
          location}},
        {"no file", 0, {"Excel operations require at least one Excel file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        elements.Clear();
        messages.Clear();
        AddRunnable();
        for (int i = 0; i < c.files; ++i) Block(kExcelFile, 10 + i);
        KBlock& load = Block(kExcelLoad, 5);
        load.userString = "Load";
        EXPECT_EQ(Compile(), c.messages.empty());
        EXPECT_EQ(messages.Texts(), c.messages);
        if (!c.messages.empty()) continue;
        EXPECT_EQ(load.Node(3).value, 10.0);
        EXPECT_EQ(compiled.excelFileOf.at(&load)->IDNumber(), 10);
    }
}

// A failed compile's red marks last only until the next compile.
TEST_F(CompileTest, NextCompileClearsRedMarks) {
    AddRunnable();
    KBlock& a = Block(kAdd, 3);
    KBlock& b = Block(kAdd, 4);
    Wire(5, a, 2, b, 0);
    KWire& back = Wire(6, b, 2, a, 0);
    ASSERT_FALSE(Compile());
    elements.DeleteWire(back);
    Block(kTime, 6);
    Block(kTime, 6);  // fails before the rule checks
    EXPECT_FALSE(Compile());
    EXPECT_TRUE(RedNumbers(elements).empty());
}

}  // namespace
}  // namespace korvel
