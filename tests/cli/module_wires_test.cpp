// Wires on module blocks follow the module's nodes by name when the module's
// interface changed after the design was saved: files name wire ends by node
// index, and the record's own node lines (one per module node, in the order
// saved) say which name each index had.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/clitesting.h"

namespace {

using namespace clitest;
namespace fs = std::filesystem;

std::string Input(const std::string& position) {
    return "0,Input\r\n0,Edge\r\n" + position + ",Position\r\n0,Initial Value";
}
const char* const kOutput = "0,Output\r\n2,Edge\r\n1,Position";

// y = setpoint - feedback, with the interface blocks in the order given
// ("setpoint", "feedback"; a name left out is a deleted interface block).
std::string DifferenceModule(const std::vector<std::string>& inputs) {
    ModelText m(true);
    int position = 1;
    for (const std::string& name : inputs)
        m.Block("KCustInput", name == "setpoint" ? 0 : 1, name,
                {Input(std::to_string(position++))});
    m.Block("KSub", 2, "difference", {"0,Input1", "0,Input2"})
        .Block("KCustOutput", 3, "y", {kOutput});
    for (const std::string& name : inputs) {
        if (name == "setpoint") m.Wire(4, 0, 0, 2, 0);
        if (name == "feedback") m.Wire(5, 1, 0, 2, 1);
    }
    return m.Wire(6, 2, 2, 3, 0).Text();
}

// A design feeding setpoint 5 and feedback 2 into the module block of
// `moduleFile`, whose saved node order is setpoint, feedback, y.
std::string Design(const std::string& moduleFile) {
    return ModelText(false)
        .Block("KSolver", 0, "Solver", {"0.001,h", "0,Time Increment"})
        .Block("KSimpleConstant", 1, "sp", {"5,Input"})
        .Block("KSimpleConstant", 2, "fb", {"2,Input"})
        .Block("KCustMod", 3, "M", {"0,setpoint", "0,feedback", "0,y"}, moduleFile)
        .Block("KVariable", 4, "y", {})
        .Block("KScope", 5, "Scope", {})
        .Wire(6, 1, 0, 3, 0)
        .Wire(7, 2, 0, 3, 1)
        .Wire(8, 3, 2, 4, 0)
        .Text();
}

// The last value of y in a short run (NaN after a failed run); the runner's
// messages go to `err`.
double LastY(const fs::path& design, std::string& err) {
    Result r = RunCli(design.string() + " --until 0.003 --vars y");
    err = r.err;
    EXPECT_EQ(r.status, 0) << r.err;
    auto rows = Rows(r.out);
    return rows.empty() ? std::nan("") : rows.back()[1];
}

TEST(ModuleWires, ReorderedInterfaceKeepsEachSignalOnItsNode) {
    fs::path dir = TempDir();
    std::string err;
    WriteFile(dir / "diff.kvc", DifferenceModule({"setpoint", "feedback"}));
    WriteFile(dir / "design.kvd", Design("diff.kvc"));
    ASSERT_DOUBLE_EQ(LastY(dir / "design.kvd", err), 3.0);

    // The module now lists feedback first; the design file is as it was.
    WriteFile(dir / "diff.kvc", DifferenceModule({"feedback", "setpoint"}));
    EXPECT_DOUBLE_EQ(LastY(dir / "design.kvd", err), 3.0);
    EXPECT_EQ(err, "");
    // Saved again, the design holds the wires at the module's new indices.
    const fs::path again = dir / "again.kvd";
    ASSERT_EQ(RunCli((dir / "design.kvd").string() + " --save-as " + again.string()).status, 0);
    const std::string text = ReadFile(again);
    EXPECT_NE(text.find("0,feedback\r\n0,setpoint\r\n0,y\r\n"), std::string::npos);
    EXPECT_EQ(text.find("NodeNames"), std::string::npos);
    EXPECT_DOUBLE_EQ(LastY(again, err), 3.0);

    // A deleted interface block: nothing drives the difference's first input
    // now, y = 0 - feedback, and only that wire is left out.
    WriteFile(dir / "diff.kvc", DifferenceModule({"feedback"}));
    EXPECT_DOUBLE_EQ(LastY(dir / "design.kvd", err), -2.0);
    EXPECT_NE(err.find("no longer has the node \"setpoint\"; wire 6"), std::string::npos) << err;
}

// A module block inside a module file follows its module's nodes the same way.
TEST(ModuleWires, NestedModuleBlocksFollowByNameToo) {
    fs::path dir = TempDir();
    std::string err;
    WriteFile(dir / "diff.kvc", DifferenceModule({"setpoint", "feedback"}));
    WriteFile(dir / "outer.kvc",
              ModelText(true)
                  .Block("KCustInput", 0, "setpoint", {Input("1")})
                  .Block("KCustInput", 1, "feedback", {Input("2")})
                  .Block("KCustMod", 2, "inner", {"0,setpoint", "0,feedback", "0,y"}, "diff.kvc")
                  .Block("KCustOutput", 3, "y", {kOutput})
                  .Wire(4, 0, 0, 2, 0)
                  .Wire(5, 1, 0, 2, 1)
                  .Wire(6, 2, 2, 3, 0)
                  .Text());
    WriteFile(dir / "design.kvd", Design("outer.kvc"));
    ASSERT_DOUBLE_EQ(LastY(dir / "design.kvd", err), 3.0);
    WriteFile(dir / "diff.kvc", DifferenceModule({"feedback", "setpoint"}));
    EXPECT_DOUBLE_EQ(LastY(dir / "design.kvd", err), 3.0);
}

}  // namespace
