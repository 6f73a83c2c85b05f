// The lexer: token kinds, line counting, comments and its three errors.
#include "program/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel::test {
namespace {

std::vector<int> Codes(const std::string& text) {
    std::vector<KToken> tokens;
    KProgramError error;
    EXPECT_TRUE(Tokenize(text, tokens, error)) << error.text;
    std::vector<int> codes;
    for (const KToken& t : tokens) codes.push_back(t.code);
    return codes;
}

TEST(Lexer, CutsTextIntoTokenKinds) {
    constexpr int kId = tok::kIdentifier, kD = tok::kDoubleLiteral, kI = tok::kIntLiteral;
    struct Case {
        std::string text;
        std::vector<int> codes;
    };
    const Case kCases[] = {
        {"", {}},
        {std::string("a\0b", 3), {kId}},  // the text ends at its first NUL byte
        {"  /* only */ // comments", {}},
        {"x1$a", {kId}},
        {"2x", {kI, kId}},
        {"a<=b", {kId, 6, kId}},
        {"a< =b", {kId, 20, 18, kId}},
        {"0.5 5 5. 5e3 1e-3", {kD, kI, kD, kD, kD}},
        {"if True IF true false", {35, kId, kId, 44, 45}},
        {"while do for int double bool else", {38, 37, 39, 40, 41, 42, 36}},
        {"++ -- == != >= <= += -= *= /= %=", {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12}},
        {"+ - * / % && || & | = > < ! ( ) { } , ;",
         {13, 14, 15, 16, 17, 25, 24, 23, 22, 18, 19, 20, 21, 26, 27, 28, 29, 30, 31}},
        {"a */ b", {kId, 34, kId}},
        {"a /* never closed ; b", {kId}},
        {"a // to the end", {kId}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Codes(c.text), c.codes);
    }
}

// Literal values and names; only line feeds count lines, also inside comments.
TEST(Lexer, LiteralValuesNamesAndLines) {
    std::vector<KToken> tokens;
    KProgramError error;
    ASSERT_TRUE(Tokenize("Input_2 = 1e-3 + 2147483647 + 5.;", tokens, error));
    ASSERT_EQ(tokens.size(), 8u);
    EXPECT_EQ(tokens[0].name, "Input_2");
    EXPECT_EQ(tokens[2].doubleValue, 0.001);
    EXPECT_EQ(tokens[4].intValue, 2147483647);
    EXPECT_EQ(tokens[6].doubleValue, 5.0);
    tokens.clear();
    ASSERT_TRUE(Tokenize("a\r\nb\rc /* x\n y */ d // e\n f", tokens, error));
    ASSERT_EQ(tokens.size(), 5u);
    const int lines[] = {1, 2, 2, 3, 4};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(tokens[i].line, lines[i]) << i;
}

TEST(Lexer, ErrorsNameTheTextAndLine) {
    struct Case {
        const char* text;
        int number;
        const char* message;
    };
    const Case kCases[] = {
        {"x = 1e+3;", 101, "Could not convert \"1e\" on Line 1 to a double."},
        {"x = 1.2.3;", 101, "Could not convert \"1.2.3\" on Line 1 to a double."},
        {"x = 1e400;", 101, "Could not convert \"1e400\" on Line 1 to a double."},
        {"\nx = 2147483648;", 102, "Could not convert \"2147483648\" on Line 2 to an integer."},
        {"x = $y;", 103, "Unrecognized char \"$\" on Line 1."},
        {"x = .5;", 103, "Unrecognized char \".\" on Line 1."},
        {"\n\nx = #;", 103, "Unrecognized char \"#\" on Line 3."},
        {"x = \xC3\xA9;", 103, "Unrecognized char \"\xC3\" on Line 1."},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        std::vector<KToken> tokens;
        KProgramError error;
        EXPECT_FALSE(Tokenize(c.text, tokens, error));
        EXPECT_EQ(error.kind, KProgramError::Kind::Lexer);
        EXPECT_EQ(error.number, c.number);
        EXPECT_EQ(error.text, c.message);
        EXPECT_EQ(error.fault, "Error reading program");
    }
}

}  // namespace
}  // namespace korvel::test
