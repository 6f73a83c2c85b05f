// The line layer of model files: tokenizing, keyword readers and their
// messages, escaping, and the exact bytes the writer produces.
#include "model/lineio.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "base/messagerecorder.h"

namespace korvel {
namespace {

using Fields = std::vector<std::string>;

// Reads every line of `text`; a failed read ends the list.
std::vector<Fields> AllLines(std::string text) {
    KLineReader reader(std::move(text));
    std::vector<Fields> lines;
    Fields fields;
    std::string raw;
    while (reader.ReadLineFields(fields, raw) == KLineStatus::Line) {
        lines.push_back(fields);
    }
    return lines;
}

TEST(LineReader, SplitsFieldsAsTheFormatSays) {
    struct Case {
        const char* name;
        std::string text;
        Fields expected;
    };
    const Case kCases[] = {
        {"empty middle field kept", "x,,y\r\n", {"x", "", "y"}},
        {"trailing comma adds no empty field", "x,\r\n", {"x"}},
        {"lone comma is one empty field", ",\r\n", {""}},
        {"two commas", ",,\r\n", {"", ""}},
        {"empty line has no fields", "\r\n", {}},
        {"CR skipped anywhere", "a\rb,\rc\r\r\n", {"ab", "c"}},
        {"LF alone ends a line", "1.2,Version\n", {"1.2", "Version"}},
        {"Model swallows the rest", "Model,a,b,,c\r\n", {"Model", "a,b,,c"}},
        {"Application swallows the rest", "x,Application,a,,b,\r\n", {"x", "Application", "a,,b,"}},
        {"swallowed rest empty", "Model,\r\n", {"Model"}},
        {"Model as last field is plain", "a,Model\r\n", {"a", "Model"}},
        {"rule is case-sensitive", "model,a,b\r\n", {"model", "a", "b"}},
        {"rule needs the whole field", "Models,a,b\r\n", {"Models", "a", "b"}},
        {"last line without LF", "1,Pages", {"1", "Pages"}},
        {"NUL and high bytes are data",
         std::string("a\0\xff,k", 5),
         {std::string("a\0\xff", 3), "k"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto lines = AllLines(c.text);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.expected);
    }
}

// Blank lines count, the raw text drops CRs too, and a file ending in LF has
// no extra empty line after it.
TEST(LineReader, CountsLinesAndKeepsRawText) {
    KLineReader reader("a,b\r\n\r\nc,,d\rx\nlast\n");
    Fields fields;
    std::string raw;
    EXPECT_EQ(reader.LineNumber(), 0);
    const std::pair<const char*, int> kLines[] = {{"a,b", 1}, {"", 2}, {"c,,dx", 3}, {"last", 4}};
    for (const auto& [text, number] : kLines) {
        ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
        EXPECT_EQ(raw, text);
        EXPECT_EQ(reader.LineNumber(), number);
    }
    // The end stays the end, and the outputs are cleared.
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::EndOfFile);
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::EndOfFile);
    EXPECT_TRUE(fields.empty() && raw.empty());
    EXPECT_EQ(reader.LineNumber(), 4);
    EXPECT_TRUE(AllLines("").empty());
}

TEST(LineReader, SplitAtEveryCommaIgnoresTheRestOfLineRule) {
    EXPECT_EQ(KLineReader::SplitAtEveryComma("Model,a,,b,"), (Fields{"Model", "a", "", "b"}));
    EXPECT_EQ(KLineReader::SplitAtEveryComma(""), Fields{});
    EXPECT_EQ(KLineReader::SplitAtEveryComma("x"), Fields{"x"});
}

TEST(LineReader, TooLongLineFailsNamingTheLine) {
    // CRs do not count toward the limit: they are not part of the line.
    KLineReader reader("0123456789\r\r\nok\n0123456789A\nafter\n", 10);
    Fields fields;
    std::string raw;
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Failed);
    EXPECT_EQ(reader.ErrorText(), "line 3: line longer than 10 characters");
    EXPECT_EQ(reader.LineNumber(), 3);
    // Without this the caller could go on reading records out of step.
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Failed);
}

TEST(LineReader, SixteenMebibyteLimit) {
    const std::size_t limit = KLineReader::kMaxLineLength;
    ASSERT_EQ(limit, 16u * 1024 * 1024);
    std::string text = "1.2,Version\r\n";
    text += std::string(limit - 2, 'a') + ",k\r\n";  // exactly at the limit
    text += std::string(limit + 1, 'b');
    KLineReader reader(std::move(text));
    Fields fields;
    std::string raw;
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].size(), limit - 2);
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Failed);
    EXPECT_EQ(reader.ErrorText(), "line 3: line longer than 16 MiB");
}

std::string Show(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// One keyword read of the first line of `text` by the reader of a kind
// ('i'nt "Page", 'd'ouble "Version", 's'tring "UserString", 'b'ool
// "HorizSwap"): whether it succeeded, the value afterwards as text (it
// starts as 99, -1, "old" or True) and the boxes shown, all errors.
struct KeywordCase {
    char kind;
    std::string text;
    bool ok;
    std::string value;
    std::vector<std::string> boxes;
};

TEST(KeywordReaders, ReadOrRefuseWithTheirMessages) {
    const std::string kLong(1500, '9');
    // clang-format off
    const KeywordCase kCases[] = {
        {'i', "12,Page\r\n", true, "12", {}},
        {'i', "-7,Page", true, "-7", {}},
        {'i', "2147483647,Page", true, "2147483647", {}},
        {'i', "", false, "99", {"Unexpected file end in GetIntFromFile"}},
        {'i', "12,Page,3\r\n", false, "99", {"Bad line in file: 12,Page,3"}},
        {'i', "12\r\n", false, "99", {"Bad line in file: 12"}},
        {'i', "12,page\r\n", false, "99", {"Expected Page in 12,page"}},
        {'i', "1.5,Page", false, "99", {"Bad number in 1.5,Page"}},
        {'i', "+3,Page", false, "99", {"Bad number in +3,Page"}},
        {'i', " 3,Page", false, "99", {"Bad number in  3,Page"}},
        {'i', ",Page", false, "99", {"Bad number in ,Page"}},
        {'i', "2147483648,Page", false, "99", {"Bad number in 2147483648,Page"}},
        // A long raw line is shortened in the message.
        {'i', kLong + ",Page,x", false, "99",
         {"Bad line in file: " + std::string(1000, '9') + "..."}},
        {'d', "1.2,Version\r\n", true, "1.2", {}},
        {'d', "1e-05,Version", true, "1e-05", {}},
        {'d', "-100,Version", true, "-100", {}},
        {'d', "inf,Version", true, "inf", {}},
        {'d', "-inf,Version", true, "-inf", {}},
        {'d', "nan,Version", true, "nan", {}},
        {'d', "-nan,Version", true, "-nan", {}},
        {'d', "", false, "-1", {"Unexpected file end in GetDoubleFromFile"}},
        {'d', "1,5,Version", false, "-1", {"Bad line in file: 1,5,Version"}},
        {'d', "1.2,Versions", false, "-1", {"Expected Version in 1.2,Versions"}},
        {'d', "abc,Version", false, "-1", {"Bad number in abc,Version"}},
        {'d', "1.2.3,Version", false, "-1", {"Bad number in 1.2.3,Version"}},
        {'d', "Infinity,Version", false, "-1", {"Bad number in Infinity,Version"}},
        {'d', "1e999,Version", false, "-1", {"Bad number in 1e999,Version"}},
        {'s', "a\x03" "b\x01" "c\x02,UserString\r\n", true, "a,b\nc\r", {}},
        {'s', ",UserString", true, "", {}},
        {'s', "Model,UserString", true, "Model", {}},
        {'s', "", false, "old", {"Unexpected file end in LoadStringFromFile"}},
        {'s', "a,b,UserString", false, "old",
         {"Internal Error.  Count is 3.  Expected Count = 2.  LoadStringFromFile()."}},
        {'s', "UserString", false, "old",
         {"Internal Error.  Count is 1.  Expected Count = 2.  LoadStringFromFile()."}},
        {'s', "a,Userstring", false, "old", {"Expected UserString in a,Userstring"}},
        {'b', "True,HorizSwap\r\n", true, "True", {}},
        {'b', "False,HorizSwap", true, "False", {}},
        // Anything but the two exact words fails silently; the caller decides.
        {'b', "true,HorizSwap", false, "True", {}},
        {'b', "1,HorizSwap", false, "True", {}},
        {'b', ",HorizSwap", false, "True", {}},
        {'b', "", false, "True", {"Unexpected file end in LoadBoolFromFile"}},
        {'b', "True,VertSwap", false, "True", {"Expected HorizSwap in True,VertSwap"}},
        {'b', "True,HorizSwap,x", false, "True", {"Bad line in file: True,HorizSwap,x"}},
    };
    // clang-format on
    for (const KeywordCase& c : kCases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        KLineReader reader(c.text);
        KMessageRecorder messages;
        bool ok = false;
        std::string value;
        if (c.kind == 'i') {
            int v = 99;
            ok = reader.GetInt(v, "Page", messages);
            value = std::to_string(v);
        } else if (c.kind == 'd') {
            double v = -1;
            ok = reader.GetDouble(v, "Version", messages);
            value = Show(v);
        } else if (c.kind == 's') {
            value = "old";
            ok = reader.LoadString(value, "UserString", messages);
        } else {
            bool v = true;
            ok = reader.LoadBool(v, "HorizSwap", messages);
            value = v ? "True" : "False";
        }
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(value, c.kind == 'd' ? Show(std::strtod(c.value.c_str(), nullptr)) : c.value);
        EXPECT_EQ(messages.Texts(), c.boxes);
        for (const KRecordedBox& box : messages.boxes) EXPECT_EQ(box.caption, kCaptionError);
    }
}

TEST(KeywordReaders, ReadInSequenceAndATooLongLineShowsItsReasonThenTheFileEnd) {
    KLineReader reader("1.2,Version\r\nFalse,CustMod\r\n3,Pages\r\nPageNames,Start\r\n" +
                           std::string(30, '7') + ",X\r\n",
                       20);
    KMessageRecorder messages;
    double version = 0;
    bool custMod = true;
    int pages = 0;
    std::string start;
    ASSERT_TRUE(reader.GetDouble(version, "Version", messages));
    ASSERT_TRUE(reader.LoadBool(custMod, "CustMod", messages));
    ASSERT_TRUE(reader.GetInt(pages, "Pages", messages));
    ASSERT_TRUE(reader.LoadString(start, "Start", messages));
    EXPECT_EQ(version, 1.2);
    EXPECT_FALSE(custMod);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(start, "PageNames");
    EXPECT_EQ(reader.LineNumber(), 4);
    EXPECT_FALSE(reader.GetInt(pages, "X", messages));
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"line 5: line longer than 20 characters",
                                        "Unexpected file end in GetIntFromFile"}));
}

TEST(FindLineWithParameter1, SkipsToTheKeywordAndAnswersTheFirstField) {
    KLineReader reader("1.2,Version\r\nStart\r\nKTime,Start\r\n1,Page\r\nx,Start,extra\r\n");
    KMessageRecorder messages;
    std::string value;
    ASSERT_TRUE(reader.FindLineWithParameter1("Start", value, messages));
    EXPECT_EQ(value, "KTime");
    EXPECT_EQ(reader.LineNumber(), 3);
    ASSERT_TRUE(reader.FindLineWithParameter1("Start", value, messages));
    EXPECT_EQ(value, "x");
    // The end of the file is how callers learn there are no more records.
    EXPECT_FALSE(reader.FindLineWithParameter1("Start", value, messages));
    EXPECT_EQ(value, "x");
    EXPECT_TRUE(messages.boxes.empty());
}

TEST(FindLineWithParameter1, ReportsAFailedRead) {
    KLineReader reader("a,b\r\n" + std::string(50, 'z') + "\r\nK,Start\r\n", 40);
    KMessageRecorder messages;
    std::string value;
    EXPECT_FALSE(reader.FindLineWithParameter1("Start", value, messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"line 2: line longer than 40 characters"});
}

// Comma, CR and LF are marked as the exact bytes below show, and every other
// byte round trips through a design (the long texts of the model file
// tests). Known limitation of the format: the markers are not escaped
// themselves.
TEST(Escaping, MarkerBytesInTheTextComeBackAsWhatTheyMark) {
    EXPECT_EQ(UnescapeString(EscapeString("\x01\x02\x03\xff")), "\n\r,\xff");
}

TEST(LineWriter, WritesExactBytes) {
    KLineWriter writer;
    writer.WriteDouble(1.2, "Version");
    writer.WriteBool(false, "CustMod");
    writer.WriteInt(1, "Pages");
    writer.WriteTwo("PageNames", "Start");
    writer.WriteString("Main, page\r\n1", "PageName");
    writer.WriteInt(-20, "X");
    writer.WriteBool(true, "HorizSwap");
    writer.WriteFields({"a", "", "b"}, "List");
    writer.WriteFields({}, "Empty");
    writer.WriteString("", "UserString");
    EXPECT_EQ(writer.Text(),
              "1.2,Version\r\nFalse,CustMod\r\n1,Pages\r\nPageNames,Start\r\n"
              "Main\003 page\002\0011,PageName\r\n-20,X\r\nTrue,HorizSwap\r\n"
              "a,,b,List\r\nEmpty\r\n,UserString\r\n");
    EXPECT_FALSE(writer.WroteLineBreakInRawText());
    const std::string text = writer.TakeText();
    EXPECT_TRUE(writer.Text().empty());
    EXPECT_EQ(text.substr(0, 13), "1.2,Version\r\n");
}

// Each value's text, and every written value reads back (to 14 digits; the
// largest doubles need 17 or would round past the largest and not read back).
TEST(LineWriter, DoubleFormsReadBack) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double value;
        const char* text;
    };
    const Case kCases[] = {
        {1.2, "1.2"},
        {100.0, "100"},
        {0.707, "0.707"},
        {1e-05, "1e-05"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {-0.0, "0"},
        {1e20, "1e+20"},
        {123456789012345678.0, "1.23456789012346e+17"},
        {-2.5, "-2.5"},
        {kInf, "inf"},
        {-kInf, "-inf"},
        {kNan, "nan"},
        {std::copysign(kNan, -1.0), "-nan"},
        {DBL_MAX, "1.7976931348623157e+308"},
        {-DBL_MAX, "-1.7976931348623157e+308"},
        {4.9406564584124654e-324, "4.94065645841247e-324"},
        {1.7976931348623e308, nullptr},
        {DBL_MIN, nullptr},
        {-1e-300, nullptr},
        {1e300, nullptr},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.value);
        KLineWriter writer;
        writer.WriteDouble(c.value, "K");
        if (c.text) {
            EXPECT_EQ(writer.Text(), std::string(c.text) + ",K\r\n");
        }
        KLineReader reader(writer.TakeText());
        KMessageRecorder messages;
        double back = 0.0;
        ASSERT_TRUE(reader.GetDouble(back, "K", messages));
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(back));
        } else if (std::isinf(c.value)) {
            EXPECT_EQ(back, c.value);
        } else {
            EXPECT_NEAR(back, c.value, std::fabs(c.value) * 1e-14);
        }
    }
}

TEST(LineWriter, RemembersLineBreaksInUnescapedText) {
    // A file name with a line break would split its line when read back.
    KLineWriter writer;
    writer.WriteTwo("dir/a\nb.kvc", "FileName");
    EXPECT_TRUE(writer.WroteLineBreakInRawText());
    KLineWriter fields;
    fields.WriteFields({"ok", "bad\r"}, "List");
    EXPECT_TRUE(fields.WroteLineBreakInRawText());
}

}  // namespace
}  // namespace korvel
