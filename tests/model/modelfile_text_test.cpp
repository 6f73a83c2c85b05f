// Texts users type must come back from a file exactly as typed, whatever
// they hold: commas, line breaks, record words, the two words that make the
// line reader join the rest of a line, very long texts. Values out of their
// node's range must open with a warning and the node's default.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "compiletesting.h"
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
// nothing changed (the dump holds every name, text, list entry, button and
// value); answers the saved text.
std::string ExpectRoundTrip(const KElements& elements, const KModelHeader& header = {}) {
    std::string text = SaveModelText(elements, header);
    auto back = Load(text);
    EXPECT_EQ(back->result.pages, header.pages) << PrintToString(back->messages.Texts());
    EXPECT_TRUE(back->messages.boxes.empty()) << PrintToString(back->messages.Texts());
    EXPECT_EQ(Describe(back->elements), Describe(elements));
    EXPECT_EQ(SaveModelText(back->elements, back->header), text);
    return text;
}

// clang-format off
const Texts kHardWords = {
    "a,b", "two\nlines", "cr\rand crlf\r\n", "Start", "IDNumber", "Model", "Application",
    "Model,Start", "Application,IDNumber,", ",", ",,", "", "x,Model,y", "1,IDNumber",
    "FileEnd,Start", "Strings", "Button Setup", "NodeNames", std::string("nul\0inside", 10),
    "\xc3\xa9t\xc3\xa9 \xe2\x82\xac", " blanks around ",
};
// clang-format on

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
        EXPECT_EQ(Load(SaveModelText(elements, header))->header.pageNames, Texts{word});
    }
}

// A long text of exactly `size` characters with CR LF and LF line ends,
// commas, the record words and every byte but the markers 1, 2 and 3.
std::string LongText(std::size_t size) {
    std::string piece = "y1 = Model(u1, 2.5), Start;\r\nif y1 > IDNumber, Application\n";
    for (int c = 0; c < 256; ++c)
        if (c < 1 || c > 3) piece += static_cast<char>(c);
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
    }
}

// ---------------------------------------------------------------------------
// Values out of range

// A one-block design whose record holds the given node lines.
std::string OneBlockDesign(const std::string& tag, const std::string& name, const Texts& nodes) {
    return testing_compile::ModelText(false).Block(tag, 0, name, nodes).Text();
}

// A value out of its node's range opens with a warning naming it and the
// node's default in its place.
TEST(ModelFileRanges, OutOfRangeValuesOpenWithAWarningAndTheDefault) {
    struct Case {
        const char* tag;
        Texts lines;
        const char* node;
        const char* held;  // as the warning shows it; null: in range, no warning
        const char* value;
    };
    const std::string kList = "a,b,c,Strings";
    // clang-format off
    const Case kCases[] = {
        {"KVariable", {"5,Show"}, "Show", "5", "1"},
        {"KVariable", {"0.5,Show"}, "Show", "0.5", "1"},
        {"KVariable", {"nan,Show"}, "Show", "nan", "1"},
        {"KVariable", {"-1,AC Couple"}, "AC Couple", "-1", "0"},
        {"KVariable", {"1,AC Couple"}, "AC Couple", nullptr, "1"},
        {"KStringConstant", {kList, "7,InitValue"}, "InitValue", "7", "0"},
        {"KStringConstant", {kList, "3,InitValue"}, "InitValue", "3", "0"},
        {"KStringConstant", {kList, "-1,InitValue"}, "InitValue", "-1", "0"},
        {"KStringConstant", {kList, "2,InitValue"}, "InitValue", nullptr, "2"},
        // The pick is checked against the list as finally read.
        {"KStringConstant", {"2,InitValue", kList}, "InitValue", nullptr, "2"},
        {"KCustInput", {"7,Edge"}, "Edge", "7", "0"},
        {"KCustOutput", {"4,Edge"}, "Edge", "4", "2"},
        {"KCustInput", {"3,Edge"}, "Edge", nullptr, "3"},
        {"KCustInput", {"inf,Position"}, "Position", "inf", "0"},
        {"KCustOutput", {"-inf,Position"}, "Position", "-inf", "0"},
        {"KCustInput", {"nan,Position"}, "Position", "nan", "0"},
        {"KCustInput", {"25,Position"}, "Position", nullptr, "25"},  // the module block clamps it
        {"KDsa", {"2.5,Input Channel"}, "Input Channel", "2.5", "-1"},
        {"KDsa", {"-2,Output Channel"}, "Output Channel", "-2", "-1"},
        {"KDsa", {"4,Output Channel"}, "Output Channel", nullptr, "4"},
    };
    // clang-format on
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.tag) + " " + PrintToString(c.lines));
        auto m = Load(OneBlockDesign(c.tag, "B", c.lines));
        ASSERT_EQ(m->result.pages, 1) << PrintToString(m->messages.Texts());
        ASSERT_EQ(m->elements.Count(), 1);
        EXPECT_EQ(m->BlockAt(0).FindNode(c.node)->value, std::strtod(c.value, nullptr));
        if (c.held == nullptr) {
            EXPECT_TRUE(m->messages.boxes.empty()) << PrintToString(m->messages.Texts());
            continue;
        }
        ASSERT_EQ(m->messages.boxes.size(), 1u) << PrintToString(m->messages.Texts());
        EXPECT_EQ(m->messages.boxes[0].caption, "Warning");
        EXPECT_EQ(m->messages.boxes[0].text,
                  "Node \"" + std::string(c.node) + "\" of B holds " + c.held +
                      ", which is out of its range; its default " + c.value + " is used.");
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
