// Reading and writing design files: the golden design, versions, escaped
// names, the record checks and their messages, the malformed set, and saving
// through a file system that fails at every step in turn.
#include "model/modelfile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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

// Lines of the golden file, numbered as in the file (1-based).
enum GoldenLine {
    kVersionLine = 1,
    kCustModLine = 2,
    kFontSizeLine = 4,
    kVariableScaleLine = 24,
    kVariableIDLine = 30,
    kBendsLine = 37,
    kWireIDLine = 46,
};

TEST(ModelFileGolden, ReadsIntoExactlyTheExpectedElements) {
    auto m = Load(Golden());
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    EXPECT_TRUE(m->messages.boxes.empty()) << PrintToString(m->messages.Texts());
    EXPECT_EQ(Describe(m->header), "custMod 0 pages 1 fontSize 8 hasFontSize 1 names ['1' ]");
    ASSERT_EQ(m->elements.Count(), 3);
    KBlock& time = m->BlockAt(0);
    KBlock& variable = m->BlockAt(1);
    using Head = std::tuple<int, int, int, int, int, std::string, bool, bool>;
    EXPECT_EQ(Head(time.Type(), time.IDNumber(), time.Page(), time.X(), time.Y(), time.userString,
                   time.horizSwap, time.vertSwap),
              Head(kTimeType, 0, 0, 100, 100, "Clock", false, false));
    EXPECT_EQ(Head(variable.Type(), variable.IDNumber(), variable.Page(), variable.X(),
                   variable.Y(), variable.userString, variable.horizSwap, variable.vertSwap),
              Head(kVariableType, 1, 0, 200, 100, "Variable1", false, true));
    ASSERT_EQ(time.NodeCount(), 2);
    EXPECT_EQ(time.FindNode("Documentation")->Text(), "Simulation time");
    const std::pair<const char*, double> kValues[] = {{"Input", 0.0},     {"Scale", 2.5},
                                                      {"Offset", -0.125}, {"Show", 0.0},
                                                      {"Mult", 0.001},    {"AC Couple", 1.0}};
    for (const auto& [name, value] : kValues) {
        ASSERT_NE(variable.FindNode(name), nullptr) << name;
        EXPECT_EQ(variable.FindNode(name)->value, value) << name;
    }
    EXPECT_EQ(variable.FindNode("Documentation")->Text(), "Seconds since start");
    KWire& wire = m->WireAt(2);
    EXPECT_EQ(std::tuple(wire.IDNumber(), wire.Page(), wire.StartBlockPtr(), wire.StartBlockNode(),
                         wire.EndBlockPtr(), wire.EndBlockNode()),
              std::tuple(2, 0, &time, 0, &variable, 0));
    EXPECT_EQ(wire.route, (std::vector<KPoint>{{150, 110}, {170, 110}, {170, 120}, {200, 120}}));
    EXPECT_TRUE(time.Node(0).connected && variable.Node(0).connected);
    for (const auto& e : m->elements.All()) EXPECT_FALSE(e->selected);
    EXPECT_EQ(ConsistencyProblems(m->elements), "");
}

// Saved again the file is the same bytes, and those read back into the same
// collection; a copy that lost its CRs reads the same too.
TEST(ModelFileGolden, ResavesByteForByteAndReadsBackTheSame) {
    auto first = Load(Golden());
    ASSERT_TRUE(first->result.Ok());
    const std::string once = SaveModelText(first->elements, first->header);
    EXPECT_EQ(once, Golden());
    std::string lf;
    for (const std::string& line : GoldenLines()) lf += line + "\n";
    for (const std::string& text : {once, lf}) {
        auto second = Load(text);
        ASSERT_TRUE(second->result.Ok());
        EXPECT_TRUE(second->messages.boxes.empty());
        EXPECT_EQ(Describe(second->elements), Describe(first->elements));
        EXPECT_EQ(Describe(second->header), Describe(first->header));
    }
}

// Some editors start a file with the UTF-8 byte-order mark; it is invisible,
// so the file reads as if it were not there.
TEST(ModelFileGolden, LoadingFromAPathReadsTheFilePastAByteOrderMark) {
    TempDir dir;
    WriteBytes(dir.File("bom.kvd"), "\xEF\xBB\xBF" + Golden());
    KMessageRecorder messages;
    KModelHeader header;
    for (const std::string& path : {TestData("time_to_variable.kvd"), dir.File("bom.kvd")}) {
        KElements elements(messages);
        EXPECT_EQ(LoadModelFile(elements, path, {}, header, messages).pages, 1)
            << PrintToString(messages.Texts());
        EXPECT_EQ(elements.Count(), 3);
    }
    // A file that cannot be opened is refused with the system's reason.
    KElements none(messages);
    std::string missing = TestData("no_such_design.kvd");
    std::string folder = TestData("malformed");
    EXPECT_FALSE(LoadModelFile(none, missing, {}, header, messages).Ok());
    EXPECT_FALSE(LoadModelFile(none, folder, {}, header, messages).Ok());
    EXPECT_EQ(messages.Texts(), (Texts{"Cannot open " + missing + ": No such file or directory",
                                       "Cannot open " + folder + ": Is a directory"}));
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

// Versions before 1.11 have no font size line, before 1.2 no module flag:
// the editor's font size stays and the file is no module.
TEST(ModelFileVersion, EachAcceptedVersionReadsItsOwnHeaderLines) {
    struct Case {
        const char* version;
        const char* fontSize;  // null: no font size line
        bool custModLine;
        int fontSizeAfter;
    };
    const Case kCases[] = {
        {"1", nullptr, false, 11},
        {"1.1", nullptr, false, 11},
        {"1.11", "12,FontSize", false, 12},
        {"2.999", "8,FontSize", true, 8},
    };
    const std::string golden = Describe(Load(Golden())->elements);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.version);
        std::vector<std::string> lines = GoldenLines();
        lines[0] = std::string(c.version) + ",Version";
        if (c.fontSize) lines[kFontSizeLine - 1] = c.fontSize;
        if (!c.fontSize) lines.erase(lines.begin() + kFontSizeLine - 1);
        if (!c.custModLine) lines.erase(lines.begin() + kCustModLine - 1);
        auto m = std::make_unique<LoadedModel>();
        m->header.fontSize = 11;  // the editor's current size
        m->header.custMod = true;
        KLineReader reader(Crlf(lines));
        m->result = LoadModel(m->elements, reader, {}, m->header, m->messages);
        ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
        EXPECT_TRUE(m->messages.boxes.empty());
        EXPECT_FALSE(m->header.custMod);
        EXPECT_EQ(m->header.hasFontSize, c.fontSize != nullptr);
        EXPECT_EQ(m->header.fontSize, c.fontSizeAfter);
        EXPECT_EQ(Describe(m->elements), golden);
    }
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

// Read back, such names come back whole (the hard-words round trip).
TEST(ModelFileNames, CommaAndLineBreaksAreSavedAsCharactersOneTwoThree) {
    auto m = Load(Golden());
    ASSERT_TRUE(m->result.Ok());
    m->BlockAt(0).userString = "Gain, Kp\nsecond line\rend";
    m->header.pageNames = {"Page, one\r\n"};
    std::string text = SaveModelText(m->elements, m->header);
    EXPECT_NE(text.find("\r\nGain\003 Kp\001second line\002end,UserString\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPage\003 one\002\001,PageName\r\n"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Records

// "Model" makes the line reader join the rest of the line; the warning must
// still name the node, not the joined rest.
TEST(ModelFileRecords, UnknownNodeLineWarnsAndTheRestIsRead) {
    for (const char* line : {"5,Frobnicate", "Model,x,Frobnicate"}) {
        SCOPED_TRACE(line);
        std::vector<std::string> lines = GoldenLines();
        lines.insert(lines.begin() + kVariableScaleLine, line);
        auto m = Load(Crlf(lines));
        ASSERT_EQ(m->result.pages, 1);
        ASSERT_EQ(m->messages.boxes.size(), 1u);
        EXPECT_EQ(m->messages.boxes[0].caption, "Warning");
        EXPECT_EQ(m->messages.boxes[0].text, "Could not locate node Frobnicate in Variable1");
        EXPECT_EQ(m->BlockAt(1).FindNode("Offset")->value, -0.125);
        EXPECT_EQ(m->BlockAt(1).FindNode("AC Couple")->value, 1.0);
        EXPECT_EQ(m->elements.Count(), 3);
    }
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

// Without bend lines, or with none, the wire is routed anew: from Time's
// output on its right edge 10 down to the Variable's input on its left edge
// 20 down.
TEST(ModelFileRecords, WireWithoutBendsLoadsAndGetsARoute) {
    for (bool zeroBends : {false, true}) {
        SCOPED_TRACE(zeroBends);
        std::vector<std::string> lines = GoldenLines();
        lines.erase(lines.begin() + kBendsLine - (zeroBends ? 0 : 1),
                    lines.begin() + kWireIDLine - 1);
        if (zeroBends) lines[kBendsLine - 1] = "0,Bends";
        auto m = Load(Crlf(lines));
        ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
        const std::vector<KPoint>& route = m->WireAt(2).route;
        ASSERT_GE(route.size(), 2u);
        EXPECT_EQ(route.front(), (KPoint{150, 110}));
        EXPECT_EQ(route.back(), (KPoint{200, 120}));
        for (std::size_t i = 1; i < route.size(); ++i)
            EXPECT_TRUE(route[i - 1].x == route[i].x || route[i - 1].y == route[i].y) << i;
    }
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
