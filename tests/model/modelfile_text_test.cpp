// Texts users type must come back from a file exactly as typed, whatever
// they hold: commas, line breaks, record words, the two words that make the
// line reader join the rest of a line, very long texts. Values out of their
// node's range must open with a warning and the node's default.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modelfile.h"
#include "modelfile_support.h"

namespace korvel {
namespace {

using namespace filetest;
using ::testing::PrintToString;
using Texts = std::vector<std::string>;

constexpr int kStringConstant = 10;
constexpr int kProgram2i2o = 81;
constexpr int kMessage = 100;
constexpr int kDsa = 106;
constexpr int kExcelLoad = 147;

// Saves the collection, reads it back and checks that nothing was said and
// nothing changed; answers the saved text.
std::string ExpectRoundTrip(const KElements& elements, const KModelHeader& header = {}) {
    std::string text = SaveModelText(elements, header);
    auto back = Load(text);
    EXPECT_EQ(back->result.pages, header.pages) << PrintToString(back->messages.Texts());
    EXPECT_TRUE(back->messages.boxes.empty()) << PrintToString(back->messages.Texts());
    EXPECT_EQ(Describe(back->elements), Describe(elements));
    EXPECT_EQ(SaveModelText(back->elements, back->header), text);
    return text;
}

const Texts kHardWords = {
    "a,b",
    "two\nlines",
    "cr\rand crlf\r\n",
    "Start",
    "IDNumber",
    "Model",
    "Application",
    "Model,Start",
    "Application,IDNumber,",
    ",",
    ",,",
    "",
    "x,Model,y",
    "1,IDNumber",
    "FileEnd,Start",
    "Strings",
    "Button Setup",
    "NodeNames",
    std::string("nul\0inside", 10),
    "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
    " blanks around ",
};

TEST(ModelFileTexts, EveryTextFieldRoundTripsHardWords) {
    for (const std::string& word : kHardWords) {
        SCOPED_TRACE(PrintToString(word));
        KMessageRecorder sink;
        KElements elements(sink);
        KBlock& message = AddBlock(elements, kMessage, 0, 100, 100, word);
        message.FindNode("Message")->SetText(word);
        message.FindNode("Documentation")->SetText(word);
        KBlock& excel = AddBlock(elements, kExcelLoad, 1, 200, 100, word + "1");
        excel.FindNode("Sheet")->SetText(word);
        excel.FindNode("Column")->SetText(word + "," + word);
        KBlock& strings = AddBlock(elements, kStringConstant, 2, 300, 100, "S");
        strings.FindNode("Strings")->SetStrings({word, "plain", word, word});
        strings.FindNode("InitValue")->value = 3;
        KBlock& dsa = AddBlock(elements, kDsa, 3, 400, 100, "DSA");
        KDsaButtons buttons{};
        buttons[0] = {true, word, 0, 1};
        buttons[4] = {false, word + "\n" + word, -1, 2};
        buttons[9] = {true, word, 1, 0};
        dsa.FindNode("Button Setup")->SetButtons(buttons);
        dsa.FindNode("Button Setup")->value = 0;  // a button is in use
        KModelHeader header;
        header.pageNames = {word};

        ExpectRoundTrip(elements, header);
        auto back = Load(SaveModelText(elements, header));
        ASSERT_EQ(back->elements.Count(), 4);
        EXPECT_EQ(back->BlockAt(0).userString, word);
        EXPECT_EQ(back->BlockAt(0).FindNode("Message")->Text(), word);
        EXPECT_EQ(back->BlockAt(1).FindNode("Sheet")->Text(), word);
        EXPECT_EQ(back->BlockAt(1).FindNode("Column")->Text(), word + "," + word);
        EXPECT_EQ(back->BlockAt(2).FindNode("Strings")->Strings(),
                  (Texts{word, "plain", word, word}));
        EXPECT_EQ(back->BlockAt(3).FindNode("Button Setup")->Buttons()[4].name, word + "\n" + word);
        EXPECT_EQ(back->header.pageNames, Texts{word});
    }
}

// A long text of exactly `size` characters with CR LF and LF line ends,
// commas and the record words.
std::string LongText(std::size_t size) {
    const std::string piece = "y1 = Model(u1, 2.5), Start;\r\nif y1 > IDNumber, Application\n";
    std::string text;
    while (text.size() < size) text += piece;
    text.resize(size);
    return text;
}

TEST(ModelFileTexts, LongProgramAndDocumentationTextsRoundTripByteForByte) {
    for (std::size_t size : {std::size_t{5000}, std::size_t{5001}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        KMessageRecorder sink;
        KElements elements(sink);
        KBlock& program = AddBlock(elements, kProgram2i2o, 0, 100, 100, "Program");
        program.FindNode("Program")->SetText(LongText(size));
        program.FindNode("Documentation")->SetText(LongText(size + 7));
        ExpectRoundTrip(elements);
        auto back = Load(SaveModelText(elements, {}));
        ASSERT_EQ(back->elements.Count(), 1);
        EXPECT_EQ(back->BlockAt(0).FindNode("Program")->Text(), LongText(size));
        EXPECT_EQ(back->BlockAt(0).FindNode("Documentation")->Text(), LongText(size + 7));
    }
}

// "Model" and "Application" make the line reader take the rest of the line as
// one field; a list holding them must still split into its entries.
TEST(ModelFileTexts, StringListsWithTheJoiningWordsAnywhereReadBackExactly) {
    const std::vector<Texts> kLists = {
        {"Model", "b", "c"},       {"a", "Model", "c"},       {"a", "b", "Model"},
        {"Application", "b", "c"}, {"a", "Application", "c"}, {"a", "b", "Application"},
        {"Model", "Application"},  {"Application", "Model"},  {"Model"},
        {"Application"},           {"Model", "", ""},         {"", "Application", ""},
        {"Model", "Strings"},      {"Strings", "Model"},      {},
    };
    for (const Texts& list : kLists) {
        SCOPED_TRACE(PrintToString(list));
        KMessageRecorder sink;
        KElements elements(sink);
        AddBlock(elements, kStringConstant, 0, 100, 100, "S").FindNode("Strings")->SetStrings(list);
        ExpectRoundTrip(elements);
        auto back = Load(SaveModelText(elements, {}));
        EXPECT_EQ(back->BlockAt(0).FindNode("Strings")->Strings(), list);
    }
}

TEST(ModelFileTexts, StringListLineHoldsTheEntriesAsTheyAre) {
    KMessageRecorder sink;
    KElements elements(sink);
    AddBlock(elements, kStringConstant, 0, 100, 100, "S")
        .FindNode("Strings")
        ->SetStrings({"Model", "b", "Application"});
    std::string text = SaveModelText(elements, {});
    EXPECT_NE(text.find("\r\nModel,b,Application,Strings\r\n"), std::string::npos);
}

TEST(ModelFileTexts, DsaButtonsNamedWithTheJoiningWordsReadBackExactly) {
    for (int at : {0, 5, 9}) {
        SCOPED_TRACE(at);
        KMessageRecorder sink;
        KElements elements(sink);
        KBlock& dsa = AddBlock(elements, kDsa, 0, 100, 100, "DSA");
        KDsaButtons buttons{};
        for (int i = 0; i < kDsaButtonCount; ++i)
            buttons[static_cast<std::size_t>(i)] = {i % 2 == 0, "B" + std::to_string(i), i, i + 1};
        buttons[static_cast<std::size_t>(at)].name = "Model";
        buttons[static_cast<std::size_t>((at + 1) % kDsaButtonCount)].name = "Application";
        dsa.FindNode("Button Setup")->SetButtons(buttons);
        dsa.FindNode("Button Setup")->value = 0;
        ExpectRoundTrip(elements);
        auto back = Load(SaveModelText(elements, {}));
        const KDsaButtons& read = back->BlockAt(0).FindNode("Button Setup")->Buttons();
        for (int i = 0; i < kDsaButtonCount; ++i) {
            const KDsaButton& want = buttons[static_cast<std::size_t>(i)];
            const KDsaButton& got = read[static_cast<std::size_t>(i)];
            EXPECT_EQ(got.used, want.used) << i;
            EXPECT_EQ(got.name, want.name) << i;
            EXPECT_EQ(got.outputVariable, want.outputVariable) << i;
            EXPECT_EQ(got.inputVariable, want.inputVariable) << i;
        }
        EXPECT_EQ(back->BlockAt(0).FindNode("Button Setup")->value, 0.0);  // a button is in use
    }
}

// ---------------------------------------------------------------------------
// Values out of range

// A one-block design whose record holds the given node lines.
std::string OneBlockDesign(const std::string& tag, const std::string& name, const Texts& nodes) {
    Texts lines = {
        "1.2,Version",        "False,CustMod",   "1,Pages",       "8,FontSize", "PageNames,Start",
        "1,PageName",         tag + ",Start",    "0,Page",        "100,X",      "100,Y",
        name + ",UserString", "False,HorizSwap", "False,VertSwap"};
    lines.insert(lines.end(), nodes.begin(), nodes.end());
    lines.push_back("0,IDNumber");
    lines.push_back("FileEnd,Start");
    return Crlf(lines);
}

TEST(ModelFileRanges, OutOfRangeValuesOpenWithAWarningAndTheDefault) {
    struct Case {
        const char* tag;
        Texts lines;
        const char* node;
        double value;
        const char* warning;  // empty: none
    };
    const Texts kList = {"a,b,c,Strings"};
    auto withList = [&](const char* line) {
        Texts t = kList;
        t.push_back(line);
        return t;
    };
    const Case kCases[] = {
        {"KVariable",
         {"5,Show"},
         "Show",
         1.0,
         "Node \"Show\" of B holds 5, which is out of its range; its default 1 is used."},
        {"KVariable",
         {"0.5,Show"},
         "Show",
         1.0,
         "Node \"Show\" of B holds 0.5, which is out of its range; its default 1 is used."},
        {"KVariable",
         {"nan,Show"},
         "Show",
         1.0,
         "Node \"Show\" of B holds nan, which is out of its range; its default 1 is used."},
        {"KVariable",
         {"-1,AC Couple"},
         "AC Couple",
         0.0,
         "Node \"AC Couple\" of B holds -1, which is out of its range; its default 0 is used."},
        {"KVariable", {"1,AC Couple"}, "AC Couple", 1.0, ""},
        {"KStringConstant", withList("7,InitValue"), "InitValue", 0.0,
         "Node \"InitValue\" of B holds 7, which is out of its range; its default 0 is used."},
        {"KStringConstant", withList("3,InitValue"), "InitValue", 0.0,
         "Node \"InitValue\" of B holds 3, which is out of its range; its default 0 is used."},
        {"KStringConstant", withList("-1,InitValue"), "InitValue", 0.0,
         "Node \"InitValue\" of B holds -1, which is out of its range; its default 0 is used."},
        {"KStringConstant", withList("2,InitValue"), "InitValue", 2.0, ""},
        // The pick is checked against the list as finally read.
        {"KStringConstant", {"2,InitValue", "a,b,c,Strings"}, "InitValue", 2.0, ""},
        {"KCustInput",
         {"7,Edge"},
         "Edge",
         0.0,
         "Node \"Edge\" of B holds 7, which is out of its range; its default 0 is used."},
        {"KCustOutput",
         {"4,Edge"},
         "Edge",
         2.0,
         "Node \"Edge\" of B holds 4, which is out of its range; its default 2 is used."},
        {"KCustInput", {"3,Edge"}, "Edge", 3.0, ""},
        {"KCustInput",
         {"inf,Position"},
         "Position",
         0.0,
         "Node \"Position\" of B holds inf, which is out of its range; its default 0 is used."},
        {"KCustOutput",
         {"-inf,Position"},
         "Position",
         0.0,
         "Node \"Position\" of B holds -inf, which is out of its range; its default 0 is used."},
        {"KCustInput",
         {"nan,Position"},
         "Position",
         0.0,
         "Node \"Position\" of B holds nan, which is out of its range; its default 0 is used."},
        {"KCustInput", {"25,Position"}, "Position", 25.0, ""},  // the module block clamps it
        {"KDsa",
         {"2.5,Input Channel"},
         "Input Channel",
         -1.0,
         "Node \"Input Channel\" of B holds 2.5, which is out of its range; its default -1 is "
         "used."},
        {"KDsa",
         {"-2,Output Channel"},
         "Output Channel",
         -1.0,
         "Node \"Output Channel\" of B holds -2, which is out of its range; its default -1 is "
         "used."},
        {"KDsa", {"4,Output Channel"}, "Output Channel", 4.0, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.tag) + " " + PrintToString(c.lines));
        auto m = Load(OneBlockDesign(c.tag, "B", c.lines));
        ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
        ASSERT_EQ(m->elements.Count(), 1);
        EXPECT_EQ(m->BlockAt(0).FindNode(c.node)->value, c.value);
        if (std::string(c.warning).empty()) {
            EXPECT_TRUE(m->messages.boxes.empty()) << PrintToString(m->messages.Texts());
        } else {
            ASSERT_EQ(m->messages.boxes.size(), 1u) << PrintToString(m->messages.Texts());
            EXPECT_EQ(m->messages.boxes[0].caption, "Warning");
            EXPECT_EQ(m->messages.boxes[0].text, c.warning);
        }
    }
}

TEST(ModelFileRanges, ATextNodeWithARawCommaFailsWithBadNumberTokens) {
    auto m = Load(OneBlockDesign("KMessage", "M", {"Hello, world,Message"}));
    EXPECT_EQ(m->result.pages, 0);
    EXPECT_EQ(m->messages.Texts(),
              (Texts{"Bad number tokens in Hello, world,Message", "Could not load KMessage"}));
}

TEST(ModelFileRanges, MoreThanTenDsaButtonsWarnAndKeepTheFirstTen) {
    std::string line = "11";
    for (int i = 0; i < 11; ++i)
        line += ",True,B" + std::to_string(i) + "," + std::to_string(i) + ",-1";
    line += ",Button Setup";
    auto m = Load(OneBlockDesign("KDsa", "D", {line}));
    ASSERT_EQ(m->result.pages, 1);
    EXPECT_EQ(m->messages.Texts(),
              Texts{"More buttons than DSA can support.  Some buttons will not be used."});
    const KDsaButtons& buttons = m->BlockAt(0).FindNode("Button Setup")->Buttons();
    EXPECT_EQ(buttons[9].name, "B9");
    EXPECT_EQ(buttons[9].outputVariable, 9);
}

TEST(ModelFileRanges, FewerDsaButtonsLeaveTheRestUnused) {
    auto m = Load(OneBlockDesign("KDsa", "D", {"2,False,a,1,2,False,b,3,4,Button Setup"}));
    ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
    const KNode& node = *m->BlockAt(0).FindNode("Button Setup");
    EXPECT_EQ(node.Buttons()[1].name, "b");
    EXPECT_EQ(node.Buttons()[2].name, "");
    EXPECT_FALSE(node.Buttons()[2].used);
    EXPECT_EQ(node.value, -1.0);  // no button in use
}

}  // namespace
}  // namespace korvel
