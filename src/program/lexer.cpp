#include "program/lexer.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace korvel {

namespace {

struct OperatorEntry {
    std::string_view text;
    int code;
};

// Searched in this order; the one-character operators follow the two-character
// ones that start with the same character, so a pair always wins.
constexpr OperatorEntry kOperators[] = {
    {";", tok::kSemicolon},    {"++", tok::kPlusPlus},   {"--", tok::kMinusMinus},
    {"==", tok::kEqEq},        {"!=", tok::kNotEq},      {">=", tok::kGreaterEq},
    {"<=", tok::kLessEq},      {"+=", tok::kPlusAssign}, {"-=", tok::kMinusAssign},
    {"*=", tok::kTimesAssign}, {"/=", tok::kDivAssign},  {"%=", tok::kModAssign},
    {"+", tok::kPlus},         {"-", tok::kMinus},       {"*", tok::kTimes},
    {"/", tok::kDivide},       {"%", tok::kModulo},      {"&&", tok::kAndAnd},
    {"||", tok::kOrOr},        {"&", tok::kBitAnd},      {"|", tok::kBitOr},
    {"=", tok::kAssign},       {">", tok::kGreater},     {"<", tok::kLess},
    {"!", tok::kNot},          {"(", tok::kLParen},      {")", tok::kRParen},
    {"{", tok::kLBrace},       {"}", tok::kRBrace},      {",", tok::kComma},
    {"*/", tok::kCommentEnd},
};

constexpr OperatorEntry kKeywords[] = {
    {"if", tok::kIf},     {"else", tok::kElse},   {"do", tok::kDo},         {"while", tok::kWhile},
    {"for", tok::kFor},   {"int", tok::kInt},     {"double", tok::kDouble}, {"bool", tok::kBool},
    {"true", tok::kTrue}, {"false", tok::kFalse},
};

int FindIn(const OperatorEntry* first, const OperatorEntry* last, std::string_view text) {
    for (const OperatorEntry* e = first; e != last; ++e)
        if (e->text == text) return e->code;
    return 0;
}

int OperatorCode(std::string_view text) {
    return FindIn(std::begin(kOperators), std::end(kOperators), text);
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '$';
}

constexpr std::string_view kOneCharOperators = ";+-*/%&|=><!(){},";

// Whole-text conversions; false for anything left over, a missing part or a
// value out of range. from_chars does not follow the locale, so "2.5" reads the
// same everywhere.
bool ToDouble(std::string_view text, double& value) {
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ToInt(std::string_view text, std::int32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

class Lexer {
public:
    Lexer(std::string_view text, std::vector<KToken>& tokens, KProgramError& error)
        : text_(text.substr(0, text.find('\0'))), tokens_(tokens), error_(error) {}

    bool Run() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '\n') {
                ++pos_;
                ++line_;
            } else if (IsLetter(c) || c == '_') {
                Name();
            } else if (IsDigit(c)) {
                if (!Number()) return false;
            } else if (!Operator()) {
                return false;
            }
        }
        return true;
    }

private:
    char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    void Name() {
        const std::size_t start = pos_++;
        while (IsNameChar(At(pos_))) ++pos_;
        KToken token;
        token.line = line_;
        const std::string_view name = text_.substr(start, pos_ - start);
        token.code = FindIn(std::begin(kKeywords), std::end(kKeywords), name);
        if (token.code == 0) {
            token.code = tok::kIdentifier;
            token.name = std::string(name);
        }
        tokens_.push_back(std::move(token));
    }

    bool Number() {
        const std::size_t start = pos_;
        bool isDouble = false;
        for (;;) {
            const char c = At(pos_);
            if (IsDigit(c)) {
                ++pos_;
            } else if (c == '.') {
                isDouble = true;
                ++pos_;
            } else if (c == 'e' || c == 'E') {
                isDouble = true;
                ++pos_;
                if (At(pos_) == '-') ++pos_;
            } else {
                break;
            }
        }
        const std::string_view text = text_.substr(start, pos_ - start);
        KToken token;
        token.line = line_;
        if (isDouble) {
            token.code = tok::kDoubleLiteral;
            if (!ToDouble(text, token.doubleValue)) {
                return Fail(101,
                            "Could not convert \"" + std::string(text) + "\" on Line " +
                                std::to_string(line_) + " to a double.",
                            "Rewrite code; check string to enure it is a valid double.");
            }
        } else {
            token.code = tok::kIntLiteral;
            if (!ToInt(text, token.intValue)) {
                return Fail(102,
                            "Could not convert \"" + std::string(text) + "\" on Line " +
                                std::to_string(line_) + " to an integer.",
                            "Rewrite code; check string to enure it is a valid integer.");
            }
        }
        tokens_.push_back(std::move(token));
        return true;
    }

    bool Operator() {
        const char c = text_[pos_];
        if (kOneCharOperators.find(c) == std::string_view::npos) {
            return Fail(103,
                        "Unrecognized char \"" + std::string(1, c) + "\" on Line " +
                            std::to_string(line_) + ".",
                        "Rewrite code and enure character is valid.  Note that invalid character "
                        "may not print on screen so it may help to delete and rewrite line.");
        }
        const char next = At(pos_ + 1);
        if (c == '/' && next == '/') {
            const std::size_t end = text_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end;
            return true;
        }
        if (c == '/' && next == '*') {
            const std::size_t end = text_.find("*/", pos_ + 2);
            if (end == std::string_view::npos) {
                pos_ = text_.size();
                return true;
            }
            // The comment's line feeds still count lines.
            for (std::size_t i = pos_; i < end; ++i)
                if (text_[i] == '\n') ++line_;
            pos_ = end + 2;
            return true;
        }
        KToken token;
        token.line = line_;
        if (next != '\0') token.code = OperatorCode(text_.substr(pos_, 2));
        if (token.code != 0) {
            pos_ += 2;
        } else {
            token.code = OperatorCode(text_.substr(pos_, 1));
            pos_ += 1;
        }
        tokens_.push_back(std::move(token));
        return true;
    }

    bool Fail(int number, std::string text, std::string advice) {
        error_.kind = KProgramError::Kind::Lexer;
        error_.number = number;
        error_.text = std::move(text);
        error_.advice = std::move(advice);
        error_.fault = "Error reading program";
        error_.line = line_;
        return false;
    }

    std::string_view text_;
    std::vector<KToken>& tokens_;
    KProgramError& error_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

const char* TokenText(int code) {
    for (const OperatorEntry& e : kOperators)
        if (e.code == code) return e.text.data();
    for (const OperatorEntry& e : kKeywords)
        if (e.code == code) return e.text.data();
    return "";
}

bool Tokenize(std::string_view text, std::vector<KToken>& tokens, KProgramError& error) {
    return Lexer(text, tokens, error).Run();
}

}  // namespace korvel
