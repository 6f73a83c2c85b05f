// The line layer of model files: splitting lines into fields, reading and
// writing the "value,keyword" lines every record is made of, and the escaping
// that keeps names and texts inside one field.
//
// A model file is a sequence of lines ended by CR LF. Each line holds one or
// more comma-separated fields; a keyword line is the value, a comma and the
// keyword. Numbers are written and read without the C locale, so a file saved
// under one locale opens under any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"

namespace korvel {

// Escaping for names and texts that may hold commas and line breaks: LF (10)
// becomes character 1, CR (13) character 2 and ',' character 3, so the escaped
// text is always a single field. UnescapeString maps 1, 2 and 3 back.
//
// Known limitation: characters 1, 2 and 3 in the original text are not
// escaped themselves, so they come back as LF, CR and ','. Every other byte,
// NUL and bytes above 127 included, round-trips unchanged.
std::string EscapeString(std::string_view text);
std::string UnescapeString(std::string_view text);

enum class KLineStatus {
    Line,       // a line was read (it may have no fields)
    EndOfFile,  // no characters were left
    Failed,     // the line could not be read; ErrorText() says why
};

// Reads the lines of a whole file held in memory.
//
// Tokenizing: CR is skipped wherever it appears; LF ends the line; a comma
// ends a field, and the field is kept even when empty. When a field ended by a
// comma is exactly "Application" or "Model", the rest of the line becomes one
// field, commas and all. At the end of the line the last field is added only
// when it is not empty, so "x,,y" has three fields, "x," has one and an empty
// line none. A last line without LF is still a line. The raw text (CRs
// removed) is kept for messages.
//
// A line longer than the limit (16 MiB unless given) fails the read with
// "line N: line longer than 16 MiB" rather than cutting a field short; the
// reader then stays failed, since the rest of the file cannot be trusted to
// line up with the records.
class KLineReader {
public:
    static constexpr std::size_t kMaxLineLength = std::size_t{16} * 1024 * 1024;

    // Takes the whole file text; move it in to avoid a copy.
    explicit KLineReader(std::string text, std::size_t maxLineLength = kMaxLineLength);

    // Reads the next line into `fields` and `raw` (both replaced; cleared
    // unless a line was read).
    [[nodiscard]] KLineStatus ReadLineFields(std::vector<std::string>& fields, std::string& raw);

    // The 1-based number of the line last read (or of the line that failed);
    // 0 before the first read.
    std::int64_t LineNumber() const { return lineNumber_; }
    // Why the last read failed; empty while no read has failed.
    const std::string& ErrorText() const { return errorText_; }

    // Splits a raw line at every comma, without the "Application"/"Model"
    // rule, for a reader that wants the fields that rule joined. Empty fields
    // are kept except a last one, as in ReadLineFields.
    static std::vector<std::string> SplitAtEveryComma(std::string_view raw);

    // Keyword lines. Each reads the next line, checks it and converts its
    // first field; on success it answers true and sets `out`, on failure it
    // reports through `messages`, answers false and leaves `out` alone.
    //
    // Checks, in order:
    //  1. End of file: "Unexpected file end in GetIntFromFile" (resp.
    //     GetDoubleFromFile, LoadStringFromFile, LoadBoolFromFile). A line
    //     that failed to read shows its ErrorText() first, then this message.
    //  2. Field count, exactly two. The int, double and bool readers report
    //     "Bad line in file: " + raw; the string reader reports
    //     "Internal Error.  Count is <n>.  Expected Count = 2.
    //     LoadStringFromFile()." (with two blanks after each period).
    //  3. Keyword, the second field, compared case-sensitively:
    //     "Expected " + keyword + " in " + raw.
    //  4. Conversion. The int and double readers report
    //     "Bad number in " + raw. The bool reader accepts exactly "True" or
    //     "False" and fails on anything else WITHOUT a message (the caller
    //     decides what a bad flag means). The string reader unescapes.
    //
    // Integers are decimal digits with an optional '-' that fit an int.
    // Doubles are decimal with an optional fraction and exponent; besides
    // that, exactly "inf", "-inf", "nan" and "-nan" are read, because the
    // writer produces them for those values.
    //
    // A raw line quoted in a message is shortened to its first 1000 bytes
    // followed by "..." so that a huge damaged line cannot flood the box.
    [[nodiscard]] bool GetInt(int& out, std::string_view keyword, Messages& messages);
    [[nodiscard]] bool GetDouble(double& out, std::string_view keyword, Messages& messages);
    [[nodiscard]] bool LoadString(std::string& out, std::string_view keyword, Messages& messages);
    [[nodiscard]] bool LoadBool(bool& out, std::string_view keyword, Messages& messages);

    // Skips lines until one whose second field equals `keyword` and answers
    // its first field, unconverted. Reaching the end of the file answers false
    // without a message, since callers use it to walk to the last record; a
    // line that fails to read shows its ErrorText() and answers false.
    [[nodiscard]] bool FindLineWithParameter1(std::string_view keyword, std::string& value,
                                              Messages& messages);

private:
    // Reads a line for a keyword reader; reports the end of the file (after
    // the read error, if any) with "Unexpected file end in " + `reader`.
    bool ReadKeywordLine(std::string_view reader, Messages& messages);

    std::string text_;
    std::size_t position_ = 0;
    std::size_t maxLineLength_;
    std::int64_t lineNumber_ = 0;
    bool failed_ = false;
    std::string errorText_;
    // Scratch for the keyword readers, kept to reuse their capacity.
    std::vector<std::string> fields_;
    std::string raw_;
};

// Builds the text of a model file line by line. Every line ends with CR LF.
//
// Doubles are written in general form with up to 15 significant digits and
// "." as separator ("1.2", "100", "0.707", "1e-05"); -0 is written "0".
// Infinities and NaN are written "inf", "-inf", "nan" and "-nan", which the
// reader accepts. The few finite values whose 15-digit form would round past
// the largest double (within about 4e293 of it) are written with 17 digits
// instead, so every finite value written reads back as a finite value.
//
// WriteTwo and WriteFields write their texts as they are. A CR or LF in such
// a text would split or change the line when read back; the writer still
// writes it (the file must say what it was told) but remembers it, so the
// caller can refuse or warn before the text reaches a file.
class KLineWriter {
public:
    void WriteInt(int value, std::string_view keyword);
    void WriteDouble(double value, std::string_view keyword);
    void WriteBool(bool value, std::string_view keyword);
    // The text escaped, then the keyword.
    void WriteString(std::string_view text, std::string_view keyword);
    // first + "," + second, both unescaped.
    void WriteTwo(std::string_view first, std::string_view second);
    // Every field followed by a comma, then the keyword: a multi-field line
    // whose keyword is its last field. Fields are written unescaped. With no
    // fields the line is the keyword alone.
    void WriteFields(const std::vector<std::string>& fields, std::string_view keyword);

    const std::string& Text() const { return text_; }
    // Hands over the text and leaves the writer empty.
    std::string TakeText();

    // Whether an unescaped text written so far held a CR or LF.
    bool WroteLineBreakInRawText() const { return lineBreakInRawText_; }

private:
    void AppendRaw(std::string_view text);
    void EndLine(std::string_view keyword);

    std::string text_;
    bool lineBreakInRawText_ = false;
};

// The double text WriteDouble writes and the conversion GetDouble uses, for
// callers that compose or split lines of their own (node values).
std::string FormatFileDouble(double value);
std::optional<double> ParseFileDouble(std::string_view text);

}  // namespace korvel
