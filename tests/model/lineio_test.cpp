// The line layer of model files: tokenizing, keyword readers and their
// messages, escaping, and the exact bytes the writer produces.
#include "model/lineio.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
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
    struct Case { const char* name; std::string text; Fields expected; };
    const Case kCases[] = {
        {"empty middle field kept", "x,,y\r\n", {"x", "", "y"}},
        {"trailing comma adds no empty field", "x,\r\n", {"x"}},
        {"lone comma is one empty field", ",\r\n", {""}},
        {"two commas", ",,\r\n", {"", ""}},
        {"empty line has no fields", "\r\n", {}},
        {"CR skipped anywhere", "a\rb,\rc\r\r\n", {"ab", "c"}},
        {"LF alone ends a line", "1.2,Version\n", {"1.2", "Version"}},
        {"Model swallows the rest", "Model,a,b,,c\r\n", {"Model", "a,b,,c"}},
        {"Application swallows the rest", "x,Application,a,,b,\r\n",
         {"x", "Application", "a,,b,"}},
        {"swallowed rest empty", "Model,\r\n", {"Model"}},
        {"Model as last field is plain", "a,Model\r\n", {"a", "Model"}},
        {"rule is case-sensitive", "model,a,b\r\n", {"model", "a", "b"}},
        {"rule needs the whole field", "Models,a,b\r\n", {"Models", "a", "b"}},
        {"last line without LF", "1,Pages", {"1", "Pages"}},
        {"NUL and high bytes are data", std::string("a\0\xff,k", 5),
         {std::string("a\0\xff", 3), "k"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto lines = AllLines(c.text);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.expected);
    }
}

TEST(LineReader, CountsLinesAndKeepsRawText) {
    KLineReader reader("a,b\r\n\r\nc,,d\rx\nlast");
    Fields fields;
    std::string raw;
    EXPECT_EQ(reader.LineNumber(), 0);
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    EXPECT_EQ(raw, "a,b");
    EXPECT_EQ(reader.LineNumber(), 1);
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    EXPECT_EQ(raw, "");
    EXPECT_TRUE(fields.empty());
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    EXPECT_EQ(raw, "c,,dx");  // the raw text drops CRs too
    EXPECT_EQ(reader.LineNumber(), 3);
    ASSERT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::Line);
    EXPECT_EQ(raw, "last");
    EXPECT_EQ(reader.LineNumber(), 4);
    // The end stays the end, and the outputs are cleared.
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::EndOfFile);
    EXPECT_EQ(reader.ReadLineFields(fields, raw), KLineStatus::EndOfFile);
    EXPECT_TRUE(fields.empty());
    EXPECT_TRUE(raw.empty());
    EXPECT_EQ(reader.LineNumber(), 4);
}

TEST(LineReader, EmptyTextAndBlankLines) {
    EXPECT_TRUE(AllLines("").empty());
    // A file ending in LF has no extra empty line after it.
    EXPECT_EQ(AllLines("\n\r\n"), (std::vector<Fields>{{}, {}}));
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

TEST(LineReader, HugeEscapedFieldsRoundTripByteForByte) {
    // 100 000 characters of every byte but 1, 2 and 3, commas and line breaks
    // included; the old 5000-character cut would lose most of it.
    std::string text;
    for (int i = 0; text.size() < 100000; ++i) {
        const char c = static_cast<char>(i % 256);
        if (c != 1 && c != 2 && c != 3) {
            text += c;
        }
    }
    std::string other(100000, ',');
    KLineWriter writer;
    writer.WriteString(text, "Documentation");
    writer.WriteString(other, "Program");
    writer.WriteInt(7, "IDNumber");
    KLineReader reader(writer.TakeText());
    KMessageRecorder messages;
    std::string back;
    ASSERT_TRUE(reader.LoadString(back, "Documentation", messages));
    EXPECT_TRUE(back == text);  // not EXPECT_EQ: a failure would print 100 kB
    ASSERT_TRUE(reader.LoadString(back, "Program", messages));
    EXPECT_TRUE(back == other);
    int id = 0;
    ASSERT_TRUE(reader.GetInt(id, "IDNumber", messages));
    EXPECT_EQ(id, 7);
    EXPECT_TRUE(messages.boxes.empty());
}

// One keyword read of the first line of `text` and the boxes it showed.
struct Outcome {
    bool ok = false;
    std::vector<std::string> boxes;
};

template <typename T, typename Read>
Outcome ReadOne(const std::string& text, T& out, Read read) {
    KLineReader reader(text);
    KMessageRecorder messages;
    Outcome outcome;
    outcome.ok = read(reader, out, messages);
    outcome.boxes = messages.Texts();
    for (const KRecordedBox& box : messages.boxes) {
        EXPECT_EQ(box.caption, kCaptionError);
    }
    return outcome;
}

Outcome ReadInt(const std::string& text, int& out) {
    return ReadOne(text, out, [](KLineReader& r, int& o, Messages& m) {
        return r.GetInt(o, "Page", m);
    });
}

TEST(KeywordReaders, GetInt) {
    struct Case { const char* text; bool ok; int value; std::vector<std::string> boxes; };
    const Case kCases[] = {
        {"12,Page\r\n", true, 12, {}},
        {"-7,Page", true, -7, {}},
        {"2147483647,Page", true, 2147483647, {}},
        {"", false, 99, {"Unexpected file end in GetIntFromFile"}},
        {"12,Page,3\r\n", false, 99, {"Bad line in file: 12,Page,3"}},
        {"12\r\n", false, 99, {"Bad line in file: 12"}},
        {"12,page\r\n", false, 99, {"Expected Page in 12,page"}},
        {"1.5,Page", false, 99, {"Bad number in 1.5,Page"}},
        {"+3,Page", false, 99, {"Bad number in +3,Page"}},
        {" 3,Page", false, 99, {"Bad number in  3,Page"}},
        {",Page", false, 99, {"Bad number in ,Page"}},
        {"2147483648,Page", false, 99, {"Bad number in 2147483648,Page"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        int value = 99;
        const Outcome outcome = ReadInt(c.text, value);
        EXPECT_EQ(outcome.ok, c.ok);
        EXPECT_EQ(value, c.value);  // untouched on failure
        EXPECT_EQ(outcome.boxes, c.boxes);
    }
}

TEST(KeywordReaders, GetDouble) {
    struct Case { const char* text; bool ok; double value; std::vector<std::string> boxes; };
    const Case kCases[] = {
        {"1.2,Version\r\n", true, 1.2, {}},
        {"1e-05,Version", true, 1e-05, {}},
        {"-100,Version", true, -100.0, {}},
        {"inf,Version", true, std::numeric_limits<double>::infinity(), {}},
        {"-inf,Version", true, -std::numeric_limits<double>::infinity(), {}},
        {"", false, -1.0, {"Unexpected file end in GetDoubleFromFile"}},
        {"1,5,Version", false, -1.0, {"Bad line in file: 1,5,Version"}},
        {"1.2,Versions", false, -1.0, {"Expected Version in 1.2,Versions"}},
        {"abc,Version", false, -1.0, {"Bad number in abc,Version"}},
        {"1.2.3,Version", false, -1.0, {"Bad number in 1.2.3,Version"}},
        {"Infinity,Version", false, -1.0, {"Bad number in Infinity,Version"}},
        {"1e999,Version", false, -1.0, {"Bad number in 1e999,Version"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        double value = -1.0;
        const Outcome outcome =
            ReadOne(c.text, value, [](KLineReader& r, double& o, Messages& m) {
                return r.GetDouble(o, "Version", m);
            });
        EXPECT_EQ(outcome.ok, c.ok);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(outcome.boxes, c.boxes);
    }
    for (const char* text : {"nan,Version", "-nan,Version"}) {
        SCOPED_TRACE(text);
        double value = 0.0;
        const Outcome outcome = ReadOne(std::string(text), value,
                                        [](KLineReader& r, double& o, Messages& m) {
                                            return r.GetDouble(o, "Version", m);
                                        });
        EXPECT_TRUE(outcome.ok);
        EXPECT_TRUE(std::isnan(value));
        EXPECT_EQ(std::signbit(value), text[0] == '-');
    }
}

TEST(KeywordReaders, LoadString) {
    struct Case { std::string text; bool ok; std::string value; std::vector<std::string> boxes; };
    const Case kCases[] = {
        {"a\x03" "b\x01" "c\x02,UserString\r\n", true, "a,b\nc\r", {}},
        {",UserString", true, "", {}},
        {"Model,UserString", true, "Model", {}},
        {"", false, "old", {"Unexpected file end in LoadStringFromFile"}},
        {"a,b,UserString",
         false,
         "old",
         {"Internal Error.  Count is 3.  Expected Count = 2.  LoadStringFromFile()."}},
        {"UserString",
         false,
         "old",
         {"Internal Error.  Count is 1.  Expected Count = 2.  LoadStringFromFile()."}},
        {"a,Userstring", false, "old", {"Expected UserString in a,Userstring"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        std::string value = "old";
        const Outcome outcome =
            ReadOne(c.text, value, [](KLineReader& r, std::string& o, Messages& m) {
                return r.LoadString(o, "UserString", m);
            });
        EXPECT_EQ(outcome.ok, c.ok);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(outcome.boxes, c.boxes);
    }
}

TEST(KeywordReaders, LoadBool) {
    struct Case { const char* text; bool ok; bool value; std::vector<std::string> boxes; };
    const Case kCases[] = {
        {"True,HorizSwap\r\n", true, true, {}},
        {"False,HorizSwap", true, false, {}},
        // Anything but the two exact words fails silently; the caller decides.
        {"true,HorizSwap", false, true, {}},
        {"1,HorizSwap", false, true, {}},
        {",HorizSwap", false, true, {}},
        {"", false, true, {"Unexpected file end in LoadBoolFromFile"}},
        {"True,VertSwap", false, true, {"Expected HorizSwap in True,VertSwap"}},
        {"True,HorizSwap,x", false, true, {"Bad line in file: True,HorizSwap,x"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        bool value = true;
        const Outcome outcome = ReadOne(std::string(c.text), value,
                                        [](KLineReader& r, bool& o, Messages& m) {
                                            return r.LoadBool(o, "HorizSwap", m);
                                        });
        EXPECT_EQ(outcome.ok, c.ok);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(outcome.boxes, c.boxes);
    }
}

TEST(KeywordReaders, ReadsInSequence) {
    KLineReader reader("1.2,Version\r\nFalse,CustMod\r\n3,Pages\r\nPageNames,Start\r\n");
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
    EXPECT_FALSE(reader.GetInt(pages, "IDNumber", messages));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Unexpected file end in GetIntFromFile"});
}

TEST(KeywordReaders, TooLongLineShowsItsReasonThenTheFileEnd) {
    KLineReader reader("1,Page\r\n" + std::string(30, '7') + ",X\r\n", 20);
    KMessageRecorder messages;
    int value = 0;
    ASSERT_TRUE(reader.GetInt(value, "Page", messages));
    EXPECT_FALSE(reader.GetInt(value, "X", messages));
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"line 2: line longer than 20 characters",
                                        "Unexpected file end in GetIntFromFile"}));
}

TEST(KeywordReaders, LongRawLineIsShortenedInMessages) {
    const std::string longValue(1500, '9');
    int value = 0;
    const Outcome outcome = ReadInt(longValue + ",Page,x", value);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0], "Bad line in file: " + std::string(1000, '9') + "...");
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
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"line 2: line longer than 40 characters"});
}

TEST(Escaping, EveryByteButTheMarkersRoundTrips) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        if (i != 1 && i != 2 && i != 3) {
            all += static_cast<char>(i);
        }
    }
    const std::string escaped = EscapeString(all);
    EXPECT_EQ(escaped.size(), all.size());
    EXPECT_EQ(escaped.find_first_of(std::string_view(",\r\n")), std::string::npos);
    EXPECT_EQ(UnescapeString(escaped), all);
    EXPECT_EQ(EscapeString("a,b\nc\rd"), "a\x03" "b\x01" "c\x02" "d");
}

TEST(Escaping, MarkerBytesInTheTextComeBackAsWhatTheyMark) {
    // Known limitation of the format: the markers are not escaped themselves.
    EXPECT_EQ(EscapeString("\x01\x02\x03"), "\x01\x02\x03");
    EXPECT_EQ(UnescapeString(EscapeString("\x01\x02\x03")), "\n\r,");
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
              "Main\x03 page\x02\x01" "1,PageName\r\n-20,X\r\nTrue,HorizSwap\r\n"
              "a,,b,List\r\nEmpty\r\n,UserString\r\n");
    EXPECT_FALSE(writer.WroteLineBreakInRawText());
    const std::string text = writer.TakeText();
    EXPECT_TRUE(writer.Text().empty());
    EXPECT_EQ(text.substr(0, 13), "1.2,Version\r\n");
}

TEST(LineWriter, DoubleForms) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    struct Case { double value; const char* text; };
    const Case kCases[] = {
        {1.2, "1.2"}, {100.0, "100"}, {0.707, "0.707"}, {1e-05, "1e-05"},
        {0.1 + 0.2, "0.3"}, {1.0 / 3.0, "0.333333333333333"}, {-0.0, "0"},
        {1e20, "1e+20"}, {123456789012345678.0, "1.23456789012346e+17"},
        {-2.5, "-2.5"}, {kInf, "inf"}, {-kInf, "-inf"}, {kNan, "nan"},
        {std::copysign(kNan, -1.0), "-nan"},
        // 15 digits would round past the largest double and not read back.
        {DBL_MAX, "1.7976931348623157e+308"}, {-DBL_MAX, "-1.7976931348623157e+308"},
        {4.9406564584124654e-324, "4.94065645841247e-324"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        KLineWriter writer;
        writer.WriteDouble(c.value, "K");
        EXPECT_EQ(writer.Text(), std::string(c.text) + ",K\r\n");
    }
}

TEST(LineWriter, EveryWrittenDoubleReadsBack) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double kValues[] = {DBL_MAX, -DBL_MAX, 1.7976931348623e308, DBL_MIN,
                              4.9406564584124654e-324, 0.1, -1e-300, 1e300, kInf, -kInf, 42.0};
    for (double v : kValues) {
        SCOPED_TRACE(v);
        KLineWriter writer;
        writer.WriteDouble(v, "Value");
        KLineReader reader(writer.TakeText());
        KMessageRecorder messages;
        double back = 0.0;
        ASSERT_TRUE(reader.GetDouble(back, "Value", messages));
        if (std::isinf(v)) {
            EXPECT_EQ(back, v);
        } else {
            EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
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
