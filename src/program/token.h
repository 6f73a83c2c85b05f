// The tokens of a program text and their kind codes.
//
// The lexer cuts a text into operator, keyword, identifier and literal
// tokens; the parser rewrites that list into statements. Kind codes are
// fixed: they are what the parser's rules match on.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

namespace tok {
// Operators.
inline constexpr int kSemicolon = 31;
inline constexpr int kPlusPlus = 1;
inline constexpr int kMinusMinus = 2;
inline constexpr int kEqEq = 3;
inline constexpr int kNotEq = 4;
inline constexpr int kGreaterEq = 5;
inline constexpr int kLessEq = 6;
inline constexpr int kPlusAssign = 7;
inline constexpr int kMinusAssign = 9;
inline constexpr int kTimesAssign = 10;
inline constexpr int kDivAssign = 11;
inline constexpr int kModAssign = 12;
inline constexpr int kPlus = 13;
inline constexpr int kMinus = 14;
inline constexpr int kTimes = 15;
inline constexpr int kDivide = 16;
inline constexpr int kModulo = 17;
inline constexpr int kAssign = 18;
inline constexpr int kGreater = 19;
inline constexpr int kLess = 20;
inline constexpr int kNot = 21;
inline constexpr int kBitOr = 22;
inline constexpr int kBitAnd = 23;
inline constexpr int kOrOr = 24;
inline constexpr int kAndAnd = 25;
inline constexpr int kLParen = 26;
inline constexpr int kRParen = 27;
inline constexpr int kLBrace = 28;
inline constexpr int kRBrace = 29;
inline constexpr int kComma = 30;
inline constexpr int kCommentEnd = 34;
// Keywords.
inline constexpr int kIf = 35;
inline constexpr int kElse = 36;
inline constexpr int kDo = 37;
inline constexpr int kWhile = 38;
inline constexpr int kFor = 39;
inline constexpr int kInt = 40;
inline constexpr int kDouble = 41;
inline constexpr int kBool = 42;
inline constexpr int kTrue = 44;
inline constexpr int kFalse = 45;
// Names and literals.
inline constexpr int kIdentifier = 43;
inline constexpr int kDoubleLiteral = 46;
inline constexpr int kIntLiteral = 47;
}  // namespace tok

struct KToken {
    int code = 0;
    int line = 1;
    std::string name;           // identifiers
    double doubleValue = 0;     // double literals
    std::int32_t intValue = 0;  // int literals
};

// The text of an operator or keyword code, for messages; empty for others.
const char* TokenText(int code);

}  // namespace korvel
