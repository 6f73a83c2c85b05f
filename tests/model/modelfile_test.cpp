// Reading and writing design files: the golden design, versions, escaped
// names, the record checks and their messages, the malformed set, and saving
// through a file system that fails at every step in turn.
#include "model/modelfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "model/custmod.h"
#include "model/lineio.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;
using ::testing::PrintToString;
using Texts = std::vector<std::string>;

constexpr int kTimeType = 126;
constexpr int kVariableType = 13;

std::string Golden() {
    return ReadBytes(TestData("time_to_variable.kvd"));
}

// The golden design's lines with some replaced, inserted or removed.
std::vector<std::string> GoldenLines() {
    return LinesOf(Golden());
}

std::string GoldenWith(int lineNumber, const std::string& line) {
    std::vector<std::string> lines = GoldenLines();
    lines.at(static_cast<std::size_t>(lineNumber - 1)) = line;
    return Crlf(lines);
}

// The golden file line by line, numbered as in the file (1-based).
enum GoldenLine {
    kVersionLine = 1,
    kCustModLine = 2,
    kPagesLine = 3,
    kFontSizeLine = 4,
    kTimeNameLine = 11,
    kVariableScaleLine = 24,
    kVariableIDLine = 30,
    kBendsLine = 37,
    kWireIDLine = 46,
};

TEST(ModelFileGolden, ReadsIntoExactlyTheExpectedElements) {
    auto m = Load(Golden());
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    EXPECT_TRUE(m->messages.boxes.empty()) << PrintToString(m->messages.Texts());
    EXPECT_FALSE(m->header.custMod);
    EXPECT_EQ(m->header.pages, 1);
    EXPECT_EQ(m->header.fontSize, 8);
    EXPECT_TRUE(m->header.hasFontSize);
    EXPECT_EQ(m->header.pageNames, Texts{"1"});
    ASSERT_EQ(m->elements.Count(), 3);

    KBlock& time = m->BlockAt(0);
    EXPECT_EQ(time.Type(), kTimeType);
    EXPECT_EQ(time.IDNumber(), 0);
    EXPECT_EQ(time.Page(), 0);
    EXPECT_EQ(time.X(), 100);
    EXPECT_EQ(time.Y(), 100);
    EXPECT_EQ(time.userString, "Clock");
    EXPECT_FALSE(time.horizSwap);
    EXPECT_FALSE(time.vertSwap);
    ASSERT_EQ(time.NodeCount(), 2);
    EXPECT_EQ(time.FindNode("Documentation")->Text(), "Simulation time");

    KBlock& variable = m->BlockAt(1);
    EXPECT_EQ(variable.Type(), kVariableType);
    EXPECT_EQ(variable.IDNumber(), 1);
    EXPECT_EQ(variable.X(), 200);
    EXPECT_EQ(variable.Y(), 100);
    EXPECT_EQ(variable.userString, "Variable1");
    EXPECT_FALSE(variable.horizSwap);
    EXPECT_TRUE(variable.vertSwap);
    struct NodeValue {
        const char* name;
        double value;
    };
    const NodeValue kValues[] = {{"Input", 0.0}, {"Scale", 2.5},  {"Offset", -0.125},
                                 {"Show", 0.0},  {"Mult", 0.001}, {"AC Couple", 1.0}};
    for (const NodeValue& v : kValues) {
        SCOPED_TRACE(v.name);
        ASSERT_NE(variable.FindNode(v.name), nullptr);
        EXPECT_EQ(variable.FindNode(v.name)->value, v.value);
    }
    EXPECT_EQ(variable.FindNode("Documentation")->Text(), "Seconds since start");

    KWire& wire = m->WireAt(2);
    EXPECT_EQ(wire.IDNumber(), 2);
    EXPECT_EQ(wire.Page(), 0);
    EXPECT_EQ(wire.StartBlockPtr(), &time);
    EXPECT_EQ(wire.StartBlockNode(), 0);
    EXPECT_EQ(wire.EndBlockPtr(), &variable);
    EXPECT_EQ(wire.EndBlockNode(), 0);
    const std::vector<KPoint> kRoute = {{150, 110}, {170, 110}, {170, 120}, {200, 120}};
    EXPECT_EQ(wire.route, kRoute);
    EXPECT_TRUE(time.Node(0).connected);
    EXPECT_TRUE(variable.Node(0).connected);
    for (const auto& e : m->elements.All()) EXPECT_FALSE(e->selected);
    EXPECT_EQ(ConsistencyProblems(m->elements), "");
}

TEST(ModelFileGolden, ResavesByteForByte) {
    auto m = Load(Golden());
    ASSERT_TRUE(m->result.Ok());
    EXPECT_EQ(SaveModelText(m->elements, m->header), Golden());
}

TEST(ModelFileGolden, WritingTwiceGivesTheSameBytesAndReadingBackTheSameCollection) {
    auto first = Load(Golden());
    ASSERT_TRUE(first->result.Ok());
    std::string once = SaveModelText(first->elements, first->header);
    EXPECT_EQ(SaveModelText(first->elements, first->header), once);
    auto second = Load(once);
    ASSERT_TRUE(second->result.Ok());
    EXPECT_TRUE(second->messages.boxes.empty());
    EXPECT_EQ(Describe(second->elements), Describe(first->elements));
    EXPECT_EQ(Describe(second->header), Describe(first->header));
    EXPECT_EQ(SaveModelText(second->elements, second->header), once);
}

// Files copied from another system may have lost their CRs.
TEST(ModelFileGolden, LineFeedOnlyFileReadsTheSame) {
    std::string lf;
    for (const std::string& line : GoldenLines()) lf += line + "\n";
    auto crlf = Load(Golden());
    auto plain = Load(lf);
    ASSERT_TRUE(plain->result.Ok());
    EXPECT_EQ(Describe(plain->elements), Describe(crlf->elements));
}

TEST(ModelFileGolden, LoadingFromAPathReadsTheFile) {
    KMessageRecorder messages;
    KElements elements(messages);
    KModelHeader header;
    EXPECT_EQ(LoadModelFile(elements, TestData("time_to_variable.kvd"), {}, header, messages).pages,
              1);
    EXPECT_EQ(elements.Count(), 3);
    // A file that cannot be opened is refused with the system's reason.
    KElements none(messages);
    std::string missing = TestData("no_such_design.kvd");
    std::string folder = TestData("malformed");
    EXPECT_FALSE(LoadModelFile(none, missing, {}, header, messages).Ok());
    EXPECT_FALSE(LoadModelFile(none, folder, {}, header, messages).Ok());
    EXPECT_EQ(messages.Texts(), (Texts{"Cannot open " + missing + ": No such file or directory",
                                       "Cannot open " + folder + ": Is a directory"}));
}

// Some editors start a file with the UTF-8 byte-order mark; it is invisible,
// so the file reads as if it were not there.
TEST(ModelFileGolden, AByteOrderMarkIsPassedOver) {
    std::string path = ::testing::TempDir() + "korvel_bom.kvd";
    {
        std::ofstream out(path, std::ios::binary);
        std::ifstream in(TestData("time_to_variable.kvd"), std::ios::binary);
        out << "\xEF\xBB\xBF" << in.rdbuf();
    }
    KMessageRecorder messages;
    KElements elements(messages);
    KModelHeader header;
    EXPECT_EQ(LoadModelFile(elements, path, {}, header, messages).pages, 1)
        << ::testing::PrintToString(messages.Texts());
    EXPECT_EQ(elements.Count(), 3);
    std::remove(path.c_str());
}

// ---------------------------------------------------------------------------
// Versions

TEST(ModelFileVersion, TooOldAndTooNewAreRefused) {
    struct Case {
        const char* version;
        const char* message;
    };
    const Case kCases[] = {
        {"0.9", "This file is too old for this program to read."},
        {"0.99999", "This file is too old for this program to read."},
        {"3", "This program is too old to read this program."},
        {"3.0", "This program is too old to read this program."},
        {"inf", "This program is too old to read this program."},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.version);
        auto m = Load(GoldenWith(kVersionLine, std::string(c.version) + ",Version"));
        EXPECT_EQ(m->result.pages, 0);
        EXPECT_EQ(m->messages.Texts(), Texts{c.message});
        EXPECT_EQ(m->elements.Count(), 0);
    }
}

TEST(ModelFileVersion, EdgesOfTheAcceptedRangeAreRead) {
    auto newest = Load(GoldenWith(kVersionLine, "2.999,Version"));
    EXPECT_EQ(newest->result.pages, 1) << PrintToString(newest->messages.Texts());
    std::vector<std::string> lines = GoldenLines();
    lines[0] = "1,Version";
    lines.erase(lines.begin() + kFontSizeLine - 1);
    lines.erase(lines.begin() + kCustModLine - 1);
    auto oldest = Load(Crlf(lines));
    EXPECT_EQ(oldest->result.pages, 1) << PrintToString(oldest->messages.Texts());
}

TEST(ModelFileVersion, Version11HasNoCustModAndNoFontSizeLines) {
    std::vector<std::string> lines = GoldenLines();
    lines[0] = "1.1,Version";
    lines.erase(lines.begin() + kFontSizeLine - 1);
    lines.erase(lines.begin() + kCustModLine - 1);
    auto m = std::make_unique<LoadedModel>();
    m->header.fontSize = 11;  // the editor's current size
    m->header.custMod = true;
    KLineReader reader(Crlf(lines));
    m->result = LoadModel(m->elements, reader, {}, m->header, m->messages);
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    EXPECT_TRUE(m->messages.boxes.empty());
    EXPECT_FALSE(m->header.custMod);
    EXPECT_FALSE(m->header.hasFontSize);
    EXPECT_EQ(m->header.fontSize, 11);
    EXPECT_EQ(Describe(m->elements), Describe(Load(Golden())->elements));
}

// 1.11 lies between 1.1 and 1.2: it has a font size but no module flag.
TEST(ModelFileVersion, Version111HasAFontSizeButNoCustModLine) {
    std::vector<std::string> lines = GoldenLines();
    lines[0] = "1.11,Version";
    lines[kFontSizeLine - 1] = "12,FontSize";
    lines.erase(lines.begin() + kCustModLine - 1);
    auto m = Load(Crlf(lines));
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    EXPECT_TRUE(m->header.hasFontSize);
    EXPECT_EQ(m->header.fontSize, 12);
}

TEST(ModelFileVersion, DesignReadAsAModuleAnswersMinusOne) {
    KLoadOptions asModule;
    asModule.parentModule = 0;
    auto m = Load(Golden(), asModule);
    EXPECT_EQ(m->result.pages, -1);
    EXPECT_FALSE(m->result.Ok());
    EXPECT_EQ(m->messages.Texts(),
              Texts{"Attempt to load standard Korvel design file as a Custom Module"});
    EXPECT_EQ(m->elements.Count(), 0);
}

// ---------------------------------------------------------------------------
// Names

TEST(ModelFileNames, CommaAndLineBreaksAreSavedAsCharactersOneTwoThree) {
    auto m = Load(Golden());
    ASSERT_TRUE(m->result.Ok());
    m->BlockAt(0).userString = "Gain, Kp\nsecond line\rend";
    m->header.pageNames = {"Page, one\r\n"};
    std::string text = SaveModelText(m->elements, m->header);
    EXPECT_NE(text.find("\r\nGain\x03 Kp\x01second line\x02"
                        "end,UserString\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nPage\x03 one\x02\x01,PageName\r\n"), std::string::npos);
    auto back = Load(text);
    ASSERT_TRUE(back->result.Ok());
    EXPECT_EQ(back->BlockAt(0).userString, "Gain, Kp\nsecond line\rend");
    EXPECT_EQ(back->header.pageNames, Texts{"Page, one\r\n"});
}

// ---------------------------------------------------------------------------
// Records

TEST(ModelFileRecords, UnknownNodeLineWarnsAndTheRestIsRead) {
    std::vector<std::string> lines = GoldenLines();
    lines.insert(lines.begin() + kVariableScaleLine, "5,Frobnicate");
    auto m = Load(Crlf(lines));
    ASSERT_EQ(m->result.pages, 1);
    ASSERT_EQ(m->messages.boxes.size(), 1u);
    EXPECT_EQ(m->messages.boxes[0].caption, "Warning");
    EXPECT_EQ(m->messages.boxes[0].text, "Could not locate node Frobnicate in Variable1");
    KBlock& variable = m->BlockAt(1);
    EXPECT_EQ(variable.FindNode("Offset")->value, -0.125);
    EXPECT_EQ(variable.FindNode("AC Couple")->value, 1.0);
    EXPECT_EQ(m->elements.Count(), 3);
}

// "Model" makes the line reader join the rest of the line; the warning must
// still name the node, not the joined rest.
TEST(ModelFileRecords, UnknownNodeAfterAJoiningWordIsNamedInTheWarning) {
    std::vector<std::string> lines = GoldenLines();
    lines.insert(lines.begin() + kVariableScaleLine, "Model,x,Frobnicate");
    auto m = Load(Crlf(lines));
    ASSERT_EQ(m->result.pages, 1);
    EXPECT_EQ(m->messages.Texts(), Texts{"Could not locate node Frobnicate in Variable1"});
}

// A record may hold 49 node lines and its number; one line more fails.
TEST(ModelFileRecords, FiftyNodeLinesWithoutIDNumberAreTooMany) {
    auto withNodeLines = [](int count) {
        std::vector<std::string> lines = GoldenLines();
        // Seven node lines are there already; repeat the Scale line.
        lines.insert(lines.begin() + kVariableScaleLine, static_cast<std::size_t>(count - 7),
                     "1,Scale");
        return Crlf(lines);
    };
    auto fits = Load(withNodeLines(49));
    EXPECT_EQ(fits->result.pages, 1) << PrintToString(fits->messages.Texts());
    auto tooMany = Load(withNodeLines(50));
    EXPECT_EQ(tooMany->result.pages, 0);
    EXPECT_EQ(tooMany->messages.Texts(),
              (Texts{"Too many nodes in Variable1", "Could not load KVariable"}));
}

TEST(ModelFileRecords, WireWithoutBendsLoadsAndGetsARoute) {
    std::vector<std::string> lines = GoldenLines();
    lines.erase(lines.begin() + kBendsLine - 1, lines.begin() + kWireIDLine - 1);
    auto m = Load(Crlf(lines));
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    KWire& wire = m->WireAt(2);
    ASSERT_GE(wire.route.size(), 2u);
    // Time's output sits on its right edge 10 down, the Variable's input on
    // its left edge 20 down.
    EXPECT_EQ(wire.route.front(), (KPoint{150, 110}));
    EXPECT_EQ(wire.route.back(), (KPoint{200, 120}));
    for (std::size_t i = 1; i < wire.route.size(); ++i) {
        const KPoint& a = wire.route[i - 1];
        const KPoint& b = wire.route[i];
        EXPECT_TRUE(a.x == b.x || a.y == b.y) << "segment " << i << " is not orthogonal";
    }
}

TEST(ModelFileRecords, ZeroBendsAlsoGetARoute) {
    std::vector<std::string> lines = GoldenLines();
    lines.erase(lines.begin() + kBendsLine, lines.begin() + kWireIDLine - 1);
    lines[kBendsLine - 1] = "0,Bends";
    auto m = Load(Crlf(lines));
    ASSERT_EQ(m->result.pages, 1);
    EXPECT_EQ(m->WireAt(2).route.front(), (KPoint{150, 110}));
}

// A record whose IDNumber is negative is left out, as the format says.
TEST(ModelFileRecords, BlockWithNegativeNumberIsLeftOut) {
    auto m = Load(GoldenWith(kVariableIDLine, "-1,IDNumber"));
    EXPECT_EQ(m->result.pages, 0);  // the wire then misses its block
    EXPECT_EQ(m->messages.Texts(), Texts{"Could not find block to which wire is connected"});
    EXPECT_EQ(m->elements.Count(), 1);
}

TEST(ModelFileRecords, OverlongLineFailsTheReadWithoutCuttingIt) {
    std::string text = Golden();
    std::string huge(KLineReader::kMaxLineLength + 1, 'x');
    text.insert(GoldenLines()[0].size() + 2, huge + "\r\n");
    auto m = Load(text);
    EXPECT_EQ(m->result.pages, 0);
    EXPECT_EQ(m->messages.Texts(), (Texts{"line 2: line longer than 16 MiB",
                                          "Unexpected file end in LoadBoolFromFile"}));
}

}  // namespace
}  // namespace korvel
