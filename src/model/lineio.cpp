#include "model/lineio.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

#include "base/numberformat.h"

namespace korvel {

namespace {

constexpr char kEscapedLf = 1;
constexpr char kEscapedCr = 2;
constexpr char kEscapedComma = 3;

// Longest raw line quoted in a message; the rest is replaced by "...".
constexpr std::size_t kQuotedLineLimit = 1000;

constexpr std::size_t kMiB = std::size_t{1024} * 1024;

std::string LimitText(std::size_t limit) {
    if (limit >= kMiB && limit % kMiB == 0) {
        return std::to_string(limit / kMiB) + " MiB";
    }
    return std::to_string(limit) + " characters";
}

// The raw line as messages show it. The cut backs up to the start of a UTF-8
// sequence so the box never shows half a character.
std::string QuotedLine(const std::string& raw) {
    if (raw.size() <= kQuotedLineLimit) {
        return raw;
    }
    std::size_t cut = kQuotedLineLimit;
    while (cut > 0 && (static_cast<unsigned char>(raw[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return raw.substr(0, cut) + "...";
}

// A field ended by a comma that swallows the rest of the line.
bool TakesRestOfLine(std::string_view field) {
    return field == "Application" || field == "Model";
}

std::vector<std::string> Split(std::string_view raw, bool restOfLineRule) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = raw.find(',', start);
        if (comma == std::string_view::npos) {
            break;
        }
        const std::string_view field = raw.substr(start, comma - start);
        fields.emplace_back(field);
        start = comma + 1;
        if (restOfLineRule && TakesRestOfLine(field)) {
            break;
        }
    }
    if (start < raw.size()) {
        fields.emplace_back(raw.substr(start));
    }
    return fields;
}

}  // namespace

std::string EscapeString(std::string_view text) {
    std::string escaped(text);
    for (char& c : escaped) {
        if (c == '\n') {
            c = kEscapedLf;
        } else if (c == '\r') {
            c = kEscapedCr;
        } else if (c == ',') {
            c = kEscapedComma;
        }
    }
    return escaped;
}

std::string UnescapeString(std::string_view text) {
    std::string plain(text);
    for (char& c : plain) {
        if (c == kEscapedLf) {
            c = '\n';
        } else if (c == kEscapedCr) {
            c = '\r';
        } else if (c == kEscapedComma) {
            c = ',';
        }
    }
    return plain;
}

std::string FormatFileDouble(double value) {
    std::string text = FormatGeneral(value, 15);
    // Rounding to 15 digits can carry a value near the largest double past
    // it, and such text no longer reads as a double. 17 digits always read
    // back exactly.
    if (std::isfinite(value) && !ParseDouble(text)) {
        text = FormatGeneral(value, 17);
    }
    return text;
}

std::optional<double> ParseFileDouble(std::string_view text) {
    if (const auto value = ParseDouble(text)) {
        return value;
    }
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    if (text == "inf") {
        return kInf;
    }
    if (text == "-inf") {
        return -kInf;
    }
    if (text == "nan") {
        return kNan;
    }
    if (text == "-nan") {
        return std::copysign(kNan, -1.0);
    }
    return std::nullopt;
}

KLineReader::KLineReader(std::string text, std::size_t maxLineLength)
    : text_(std::move(text)), maxLineLength_(maxLineLength) {}

KLineStatus KLineReader::ReadLineFields(std::vector<std::string>& fields, std::string& raw) {
    fields.clear();
    raw.clear();
    if (failed_) {
        return KLineStatus::Failed;
    }
    if (position_ >= text_.size()) {
        return KLineStatus::EndOfFile;
    }
    const std::string_view rest = std::string_view(text_).substr(position_);
    const std::size_t lf = rest.find('\n');
    const std::string_view line = rest.substr(0, lf);
    ++lineNumber_;
    std::size_t length = line.size();
    if (length > maxLineLength_) {
        // CRs are skipped, so they do not count; only count them when it matters.
        length -= static_cast<std::size_t>(std::count(line.begin(), line.end(), '\r'));
    }
    if (length > maxLineLength_) {
        failed_ = true;
        errorText_ = "line " + std::to_string(lineNumber_) + ": line longer than " +
                     LimitText(maxLineLength_);
        return KLineStatus::Failed;
    }
    position_ += lf == std::string_view::npos ? line.size() : lf + 1;
    raw.reserve(length);
    std::copy_if(line.begin(), line.end(), std::back_inserter(raw),
                 [](char c) { return c != '\r'; });
    fields = Split(raw, true);
    return KLineStatus::Line;
}

std::vector<std::string> KLineReader::SplitAtEveryComma(std::string_view raw) {
    return Split(raw, false);
}

bool KLineReader::ReadKeywordLine(std::string_view reader, Messages& messages) {
    const KLineStatus status = ReadLineFields(fields_, raw_);
    if (status == KLineStatus::Line) {
        return true;
    }
    if (status == KLineStatus::Failed) {
        messages.ErrorBox(errorText_);
    }
    messages.ErrorBox("Unexpected file end in " + std::string(reader));
    return false;
}

namespace {

// Steps 2 and 3 shared by the int, double and bool readers.
bool CheckTwoFieldLine(const std::vector<std::string>& fields, const std::string& raw,
                       std::string_view keyword, Messages& messages) {
    if (fields.size() != 2) {
        messages.ErrorBox("Bad line in file: " + QuotedLine(raw));
        return false;
    }
    if (fields[1] != keyword) {
        messages.ErrorBox("Expected " + std::string(keyword) + " in " + QuotedLine(raw));
        return false;
    }
    return true;
}

}  // namespace

bool KLineReader::GetInt(int& out, std::string_view keyword, Messages& messages) {
    if (!ReadKeywordLine("GetIntFromFile", messages) ||
        !CheckTwoFieldLine(fields_, raw_, keyword, messages)) {
        return false;
    }
    const auto value = ParseInteger(fields_[0]);
    if (!value) {
        messages.ErrorBox("Bad number in " + QuotedLine(raw_));
        return false;
    }
    out = *value;
    return true;
}

bool KLineReader::GetDouble(double& out, std::string_view keyword, Messages& messages) {
    if (!ReadKeywordLine("GetDoubleFromFile", messages) ||
        !CheckTwoFieldLine(fields_, raw_, keyword, messages)) {
        return false;
    }
    const auto value = ParseFileDouble(fields_[0]);
    if (!value) {
        messages.ErrorBox("Bad number in " + QuotedLine(raw_));
        return false;
    }
    out = *value;
    return true;
}

bool KLineReader::LoadString(std::string& out, std::string_view keyword, Messages& messages) {
    if (!ReadKeywordLine("LoadStringFromFile", messages)) {
        return false;
    }
    if (fields_.size() != 2) {
        messages.ErrorBox("Internal Error.  Count is " + std::to_string(fields_.size()) +
                          ".  Expected Count = 2.  LoadStringFromFile().");
        return false;
    }
    if (fields_[1] != keyword) {
        messages.ErrorBox("Expected " + std::string(keyword) + " in " + QuotedLine(raw_));
        return false;
    }
    out = UnescapeString(fields_[0]);
    return true;
}

bool KLineReader::LoadBool(bool& out, std::string_view keyword, Messages& messages) {
    if (!ReadKeywordLine("LoadBoolFromFile", messages) ||
        !CheckTwoFieldLine(fields_, raw_, keyword, messages)) {
        return false;
    }
    if (fields_[0] == "True") {
        out = true;
        return true;
    }
    if (fields_[0] == "False") {
        out = false;
        return true;
    }
    return false;
}

bool KLineReader::FindLineWithParameter1(std::string_view keyword, std::string& value,
                                         Messages& messages) {
    for (;;) {
        switch (ReadLineFields(fields_, raw_)) {
            case KLineStatus::Line:
                if (fields_.size() >= 2 && fields_[1] == keyword) {
                    value = fields_[0];
                    return true;
                }
                break;
            case KLineStatus::EndOfFile:
                return false;
            case KLineStatus::Failed:
                messages.ErrorBox(errorText_);
                return false;
        }
    }
}

void KLineWriter::AppendRaw(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        lineBreakInRawText_ = true;
    }
    text_ += text;
}

void KLineWriter::EndLine(std::string_view keyword) {
    text_ += ',';
    AppendRaw(keyword);
    text_ += "\r\n";
}

void KLineWriter::WriteInt(int value, std::string_view keyword) {
    text_ += std::to_string(value);
    EndLine(keyword);
}

void KLineWriter::WriteDouble(double value, std::string_view keyword) {
    text_ += FormatFileDouble(value);
    EndLine(keyword);
}

void KLineWriter::WriteBool(bool value, std::string_view keyword) {
    text_ += value ? "True" : "False";
    EndLine(keyword);
}

void KLineWriter::WriteString(std::string_view text, std::string_view keyword) {
    text_ += EscapeString(text);
    EndLine(keyword);
}

void KLineWriter::WriteTwo(std::string_view first, std::string_view second) {
    AppendRaw(first);
    EndLine(second);
}

void KLineWriter::WriteFields(const std::vector<std::string>& fields, std::string_view keyword) {
    for (const std::string& field : fields) {
        AppendRaw(field);
        text_ += ',';
    }
    AppendRaw(keyword);
    text_ += "\r\n";
}

std::string KLineWriter::TakeText() {
    std::string text = std::move(text_);
    text_.clear();
    return text;
}

}  // namespace korvel
