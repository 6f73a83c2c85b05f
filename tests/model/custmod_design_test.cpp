// Module blocks inside designs: saving and reading them with their values and
// wires, and what happens to those wires when the module's interface changed
// after the design was saved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/safefile.h"
#include "model/custmodfile.h"
#include "model/lineio.h"
#include "model/modelfile.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;
using ::testing::PrintToString;
using Texts = std::vector<std::string>;

constexpr int kVariable = 13;
constexpr int kCustInput = 46;
constexpr int kCustOutput = 47;
constexpr int kTime = 126;

KLoadOptions WithModules(const KModuleFinder& finder) {
    KLoadOptions options;
    options.modules = &finder;
    return options;
}

KWire* WireNumbered(KElements& elements, int id) {
    KElement* e = elements.FindByNumber(id);
    return e && e->IsWire() ? static_cast<KWire*>(e) : nullptr;
}

TEST(ModuleInDesign, SixtyNodesSaveAndReadBackWithEveryValueAndWire) {
    TempDir dir;
    std::vector<Iface> interface;
    for (int i = 0; i < 60; ++i) {
        std::string edge = std::to_string(i / 20);  // Left, Top, Right
        std::string position = std::to_string(i % 20 + 1);
        std::string name = "n" + std::to_string(i) + (i % 7 == 0 ? ", Model" : "");
        interface.push_back(i % 2 == 0 ? In(name, edge, position) : Out(name, edge, position));
    }
    WriteBytes(dir.File("big.kvc"), ModuleText(interface));
    KModuleFinder finder({dir.Path()});

    KMessageRecorder sink;
    KElements elements(sink);
    KCustMod& module = AddModule(elements, 0, 500, 100, "Big", "big.kvc", finder);
    ASSERT_EQ(module.NodeCount(), 60);
    EXPECT_EQ(module.Width(), 220);
    EXPECT_EQ(module.Height(), 220);
    // Files hold every block before every wire; so does this collection.
    std::vector<KBlock*> others;
    for (int i = 0; i < 60; ++i) {
        module.Node(i).value = i + 0.25;
        others.push_back(&AddBlock(elements, i % 2 == 0 ? kTime : kVariable, 100 + i,
                                   i % 2 == 0 ? 100 : 900, 100 + 50 * i, "B" + std::to_string(i)));
    }
    for (int i = 0; i < 60; ++i) {
        KBlock& other = *others[static_cast<std::size_t>(i)];
        if (i % 2 == 0)
            AddWire(elements, 200 + i, other, 0, module, i);
        else
            AddWire(elements, 200 + i, module, i, other, 0);
    }
    std::string text = SaveModelText(elements, {});
    auto back = Load(text, WithModules(finder));
    ASSERT_EQ(back->result.pages, 1) << PrintToString(back->messages.Texts());
    EXPECT_TRUE(back->messages.boxes.empty()) << PrintToString(back->messages.Texts());
    EXPECT_EQ(SaveModelText(back->elements, back->header), text);
    EXPECT_EQ(ConsistencyProblems(back->elements), "");
    // The dump holds each node's value and each wire's block and node index.
    EXPECT_EQ(Describe(back->elements), Describe(elements));
}

// The design of these tests: a module block "Ctl" (ctl.kvc) whose inputs a,
// b and setpoint are fed by three Time blocks (wires 10, 11, 12) and whose
// output y feeds a Variable (wire 13).
struct ReorderFixture {
    TempDir dir;
    KModuleFinder finder{std::vector<std::string>{dir.Path()}};
    std::string design;

    ReorderFixture() {
        WriteModule(
            {In("a", "0", "1"), In("b", "0", "2"), In("setpoint", "0", "3"), Out("y", "2", "1")});
        KMessageRecorder sink;
        KElements elements(sink);
        KCustMod& module = AddModule(elements, 0, 300, 100, "Ctl", "ctl.kvc", finder);
        std::vector<KBlock*> times;
        for (int i = 0; i < 3; ++i) {
            module.Node(i).value = i + 1;
            times.push_back(&AddBlock(elements, kTime, 1 + i, 100, 100 + 100 * i, "T"));
        }
        KBlock& variable = AddBlock(elements, kVariable, 4, 500, 100, "V");
        for (int i = 0; i < 3; ++i)
            AddWire(elements, 10 + i, *times[static_cast<std::size_t>(i)], 0, module, i);
        AddWire(elements, 13, module, 3, variable, 0);
        design = SaveModelText(elements, {});
    }

    void WriteModule(const std::vector<Iface>& interface) {
        WriteBytes(dir.File("ctl.kvc"), ModuleText(interface));
    }
};

// For a while designs carried a line listing the module's node names after
// the file name; such files still read the same, and save as every other
// file does.
TEST(ModuleInDesign, WiresFollowTheirNodeByNameWhenTheInterfaceIsReordered) {
    for (bool namesLine : {false, true}) {
        SCOPED_TRACE(namesLine);
        ReorderFixture f;
        f.WriteModule(
            {In("setpoint", "0", "1"), In("a", "0", "2"), In("b", "0", "3"), Out("y", "2", "1")});
        const std::string fileLine = "ctl.kvc,FileName\r\n";
        std::string design = f.design;
        if (namesLine)
            design.insert(design.find(fileLine) + fileLine.size(), "a,b,setpoint,y,NodeNames\r\n");
        auto m = Load(design, WithModules(f.finder));
        ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
        EXPECT_TRUE(m->messages.boxes.empty()) << PrintToString(m->messages.Texts());
        KBlock& module = m->BlockAt(0);
        // Values follow their names too.
        EXPECT_EQ(module.FindNode("setpoint")->value, 3.0);
        EXPECT_EQ(module.FindNode("a")->value, 1.0);
        struct Want {
            int wire;
            const char* node;
            int index;
        };
        for (const Want& w : {Want{10, "a", 1}, Want{11, "b", 2}, Want{12, "setpoint", 0}}) {
            SCOPED_TRACE(w.node);
            KWire* wire = WireNumbered(m->elements, w.wire);
            ASSERT_NE(wire, nullptr);
            EXPECT_EQ(wire->EndBlockPtr(), &module);
            EXPECT_EQ(wire->EndBlockNode(), w.index);
            EXPECT_EQ(wire->EndNode()->Name(), w.node);
            // The wire is drawn to where its node is now.
            EXPECT_EQ(wire->route.back(), module.NodePoint(w.index));
        }
        EXPECT_EQ(WireNumbered(m->elements, 13)->StartNode()->Name(), "y");
        EXPECT_EQ(ConsistencyProblems(m->elements), "");
        // Saved again, the node lines follow the module's order and no list of
        // names is added to the format.
        std::string resaved = SaveModelText(m->elements, m->header);
        EXPECT_NE(resaved.find("\r\n3,setpoint\r\n1,a\r\n2,b\r\n0,y\r\n"), std::string::npos);
        EXPECT_EQ(resaved.find("NodeNames"), std::string::npos);
    }
}

TEST(ModuleInDesign, AWireToANodeTheModuleLostIsLeftOutWithAWarning) {
    ReorderFixture f;
    f.WriteModule({In("b", "0", "1"), In("setpoint", "0", "2"), Out("y", "2", "1")});
    auto m = Load(f.design, WithModules(f.finder));
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    ASSERT_EQ(m->messages.boxes.size(), 2u) << PrintToString(m->messages.Texts());
    EXPECT_EQ(m->messages.boxes[0].text, "Could not locate node a in Ctl");
    EXPECT_EQ(m->messages.boxes[1].caption, "Warning");
    EXPECT_EQ(m->messages.boxes[1].text,
              "Custom module \"Ctl\" (ctl.kvc) no longer has the node \"a\"; wire 10 to it is "
              "left unattached and was removed.");
    EXPECT_EQ(WireNumbered(m->elements, 10), nullptr);
    EXPECT_EQ(m->elements.Count(), 5 + 3);
    EXPECT_FALSE(m->BlockAt(1).Node(0).connected);  // the Time block that fed a
    EXPECT_EQ(WireNumbered(m->elements, 11)->EndNode()->Name(), "b");
    EXPECT_EQ(WireNumbered(m->elements, 12)->EndNode()->Name(), "setpoint");
    EXPECT_EQ(WireNumbered(m->elements, 13)->StartNode()->Name(), "y");
    EXPECT_EQ(ConsistencyProblems(m->elements), "");
    // Saved again, the design reads without a word.
    auto again = Load(SaveModelText(m->elements, m->header), WithModules(f.finder));
    EXPECT_EQ(again->result.pages, 1);
    EXPECT_TRUE(again->messages.boxes.empty()) << PrintToString(again->messages.Texts());
}

// A module saved with such names escapes them, and its block reads them back
// (the design side is the round trip below).
TEST(ModuleInDesign, InterfaceNamesWithCommasRoundTripThroughTheModuleFile) {
    TempDir dir;
    KPosixFileSystem posix;
    KMessageRecorder sink;
    KElements module(sink);
    AddBlock(module, kCustInput, 0, 100, 100, "Gain, Kp");
    AddBlock(module, kCustOutput, 1, 300, 100, "y\nout").FindNode("Position")->value = 2;
    KModelHeader header;
    header.custMod = true;
    ASSERT_TRUE(SaveModelFile(module, header, dir.File("pid.kvc"), false, posix, sink))
        << PrintToString(sink.Texts());
    EXPECT_NE(ReadBytes(dir.File("pid.kvc")).find("\r\nGain\x03 Kp,UserString\r\n"),
              std::string::npos);
    KElements design(sink);
    KCustMod& pid = AddModule(design, 0, 300, 100, "PID", "pid.kvc", KModuleFinder({dir.Path()}));
    ASSERT_EQ(pid.NodeCount(), 2);
    EXPECT_EQ(pid.Node(0).Name(), "Gain, Kp");
    EXPECT_EQ(pid.Node(1).Name(), "y\nout");
}

// Module file names and node names are texts users choose.
TEST(ModuleInDesign, HardFileAndNodeNamesRoundTrip) {
    const Texts kFileNames = {"gain, kp.kvc",         "two\nlines.kvc", "Start",
                              "IDNumber.kvc",         "Model",          "Application",
                              "Model,Application.kvc"};
    const Texts kNodeNames = {"Gain, Kp",  "a\nb",      "cr\r", "Model",    "Application",
                              "x,Model,y", "NodeNames", "Page", "FileName", "UserString"};
    TempDir dir;
    KModuleFinder finder({dir.Path()});
    std::vector<Iface> interface;
    for (std::size_t i = 0; i < kNodeNames.size(); ++i)
        interface.push_back(In(kNodeNames[i], "0", std::to_string(i + 1)));
    interface.push_back(Out("y", "2", "1"));
    KMessageRecorder sink;
    KElements design(sink);
    int id = 0;
    for (const std::string& file : kFileNames) {
        WriteBytes(dir.File(file), ModuleText(interface));
        KCustMod& m = AddModule(design, id, 100 + 300 * id, 100, file, file, finder);
        for (int n = 0; n < m.NodeCount(); ++n) m.Node(n).value = id * 100 + n;
        ++id;
    }
    KBlock& time = AddBlock(design, kTime, 50, 100, 500, "T");
    AddWire(design, 51, time, 0, static_cast<KBlock&>(design.At(3)), 5);
    std::string text = SaveModelText(design, {});
    auto back = Load(text, WithModules(finder));
    ASSERT_EQ(back->result.pages, 1) << PrintToString(back->messages.Texts());
    EXPECT_TRUE(back->messages.boxes.empty()) << PrintToString(back->messages.Texts());
    EXPECT_EQ(Describe(back->elements), Describe(design));
    EXPECT_EQ(SaveModelText(back->elements, back->header), text);
    for (std::size_t i = 0; i < kFileNames.size(); ++i) {
        auto& m = static_cast<KCustMod&>(back->BlockAt(static_cast<int>(i)));
        EXPECT_EQ(m.FileName(), kFileNames[i]);
        EXPECT_EQ(m.ResolvedPath(), dir.File(kFileNames[i]));
    }
}

// A module file expanded into a compile: its elements join with the instance
// as their parent, off every page, and its wires wait for the compile.
TEST(ModuleInDesign, ModuleFileReadAsAModule) {
    const std::string text = ModuleText({In("u", "0", "1"), Out("y", "2", "1")});
    std::string withWire =
        text.substr(0, text.rfind("FileEnd,Start")) +
        Crlf({"KWire,Start", "0,Page", "100,StartBlock", "0,StartBlockNode", "101,EndBlock",
              "0,EndBlockNode", "0,Bends", "102,IDNumber", "FileEnd,Start"});
    KLoadOptions options;
    options.parentModule = 3;
    auto m = std::make_unique<LoadedModel>();
    m->header.pageNames = {"kept"};
    KLineReader reader(withWire);
    m->result = LoadModel(m->elements, reader, options, m->header, m->messages);
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    EXPECT_TRUE(m->header.custMod);
    EXPECT_EQ(m->header.pageNames, Texts{"kept"});
    ASSERT_EQ(m->elements.Count(), 3);
    for (const auto& e : m->elements.All()) {
        EXPECT_EQ(e->ParentModule(), 3);
        EXPECT_EQ(e->Page(), -1);
    }
    EXPECT_EQ(m->WireAt(2).StartBlockPtr(), nullptr);
    // Nothing of an expansion is written back.
    std::string saved = SaveModelText(m->elements, {});
    EXPECT_EQ(saved.find("KCust"), std::string::npos);
    EXPECT_EQ(saved.find("KWire"), std::string::npos);
}

}  // namespace
}  // namespace korvel
