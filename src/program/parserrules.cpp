#include "program/parserrules.h"

#include "program/token.h"

namespace korvel::parsing {

namespace {

bool IsE(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::Expr);
}
bool IsB(const Statement& s, const KProgramTree& tree, std::size_t i) {
    return IsE(s, i) && tree.nodes[s[i].ref].type == KType::Bool;
}
bool IsS(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::Line);
}
bool IsOp(const Statement& s, std::size_t i) {
    return s[i].kind == Entry::Kind::Token && IsOpCode(s[i].code);
}
bool IsAH(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::AssignHead);
}
bool IsCH(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::CallHead);
}
bool IsIfH(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::CondHead);
}
bool IsList(const Statement& s, std::size_t i) {
    return IsKind(s, i, Entry::Kind::ExprList);
}
// E, the operator token, E.
bool Infix(const Statement& s, std::size_t i, int code) {
    return IsE(s, i) && IsTok(s, i + 1, code) && IsE(s, i + 2);
}
bool InfixMarker(const Statement& s, std::size_t i, Entry::Kind marker) {
    return IsE(s, i) && IsKind(s, i + 1, marker) && IsE(s, i + 2);
}
bool Minus(const Statement& s, std::size_t i) {
    return IsTok(s, i, tok::kMinus) && IsE(s, i + 1);
}

}  // namespace

bool IsOpCode(int code) {
    return (code >= 1 && code <= 7) || (code >= 9 && code <= 21) || code == tok::kComma;
}

namespace {

struct RuleShape {
    RuleKey key;
    std::uint8_t length;
};

constexpr RuleKey T(int code) {
    return {true, code};
}
constexpr RuleKey K(Entry::Kind kind) {
    return {false, static_cast<int>(kind)};
}
using EK = Entry::Kind;

// Rules 1 to 47 in order: the entry a match must contain, and the pattern's
// length. The patterns themselves are in Matches.
constexpr RuleShape kRules[48] = {
    {T(0), 0},
    {T(tok::kLBrace), 1},         // 1  "{" ... "}"
    {T(tok::kIdentifier), 2},     // 2  name "("
    {T(tok::kIdentifier), 2},     // 3  name "="
    {T(tok::kIdentifier), 1},     // 4  name
    {T(tok::kDoubleLiteral), 1},  // 5
    {T(tok::kIntLiteral), 1},     // 6
    {T(tok::kTrue), 1},           // 7
    {T(tok::kFalse), 1},          // 8
    {K(EK::AssignHead), 3},       // 9  assignment head, E, ";"
    {T(tok::kIf), 2},             // 10 "if" "("
    {K(EK::CallHead), 2},         // 11 call head, ")"
    {K(EK::ExprList), 2},         // 12 call head, list
    {K(EK::CallHead), 3},         // 13 call head, E, ")"
    {K(EK::ExprList), 4},         // 14 ",", E, ",", list
    {K(EK::ExprList), 4},         // 15 "(", E, ",", list
    {K(EK::ExprList), 4},         // 16 call head, E, ",", list
    {K(EK::ExprList), 4},         // 17 condition head, E, ",", list
    {T(tok::kComma), 3},          // 18 ",", E, ")"
    {K(EK::CondHead), 5},         // 19 condition head, B, ")", E, ";"
    {T(tok::kElse), 3},           // 20 "else", E, ";"
    {T(tok::kElse), 5},           // 21 "else", condition head, B, ")", S
    {K(EK::CondHead), 4},         // 22 condition head, B, ")", S
    {T(tok::kElse), 2},           // 23 "else", S
    {T(tok::kLParen), 3},         // 24 "(", E, ")"
    {T(tok::kMinus), 3},          // 25 assignment head, "-", E
    {T(tok::kMinus), 3},          // 26 "(", "-", E
    {T(tok::kMinus), 3},          // 27 op, "-", E
    {T(tok::kMinus), 3},          // 28 condition head, "-", E
    {T(tok::kMinus), 3},          // 29 call head, "-", E
    {T(tok::kMinus), 2},          // 30 "-", E at the start
    {T(tok::kTimes), 3},          // 31 E "*" E
    {T(tok::kDivide), 3},         // 32 E "/" E
    {T(tok::kPlus), 3},           // 33 E "+" E
    {T(tok::kMinus), 3},          // 34 E "-" E
    {K(EK::MulMarker), 3},        // 35
    {K(EK::AddMarker), 3},        // 36
    {T(tok::kModulo), 3},         // 37
    {T(tok::kGreater), 3},        // 38
    {T(tok::kLessEq), 3},         // 39
    {T(tok::kLess), 3},           // 40
    {T(tok::kGreaterEq), 3},      // 41
    {T(tok::kEqEq), 3},           // 42
    {T(tok::kNotEq), 3},          // 43
    {T(tok::kNot), 2},            // 44 "!" E
    {T(tok::kAndAnd), 3},         // 45
    {T(tok::kOrOr), 3},           // 46
    {T(tok::kSemicolon), 2},      // 47 E ";" at the start
};

}  // namespace

RuleKey KeyOf(int rule) {
    return kRules[rule].key;
}

std::size_t PatternLength(int rule) {
    return kRules[rule].length;
}

bool Matches(const Statement& s, const KProgramTree& tree, int rule, std::size_t i) {
    using K = Entry::Kind;
    switch (rule) {
        case 1:
            return IsTok(s, i, tok::kLBrace);
        case 2:
            return IsTok(s, i, tok::kIdentifier) && IsTok(s, i + 1, tok::kLParen);
        case 3:
            return IsTok(s, i, tok::kIdentifier) && IsTok(s, i + 1, tok::kAssign);
        case 4:
            return IsTok(s, i, tok::kIdentifier);
        case 5:
            return IsTok(s, i, tok::kDoubleLiteral);
        case 6:
            return IsTok(s, i, tok::kIntLiteral);
        case 7:
            return IsTok(s, i, tok::kTrue);
        case 8:
            return IsTok(s, i, tok::kFalse);
        case 9:
            return IsAH(s, i) && IsE(s, i + 1) && IsTok(s, i + 2, tok::kSemicolon);
        case 10:
            return IsTok(s, i, tok::kIf) && IsTok(s, i + 1, tok::kLParen);
        case 11:
            return IsCH(s, i) && IsTok(s, i + 1, tok::kRParen);
        case 12:
            return IsCH(s, i) && IsList(s, i + 1);
        case 13:
            return IsCH(s, i) && IsE(s, i + 1) && IsTok(s, i + 2, tok::kRParen);
        case 14:
        case 15:
        case 16:
        case 17: {
            const bool head = rule == 14   ? IsTok(s, i, tok::kComma)
                              : rule == 15 ? IsTok(s, i, tok::kLParen)
                              : rule == 16 ? IsCH(s, i)
                                           : IsIfH(s, i);
            return head && IsE(s, i + 1) && IsTok(s, i + 2, tok::kComma) && IsList(s, i + 3);
        }
        case 18:
            return IsTok(s, i, tok::kComma) && IsE(s, i + 1) && IsTok(s, i + 2, tok::kRParen);
        case 19:
            return IsIfH(s, i) && IsB(s, tree, i + 1) && IsTok(s, i + 2, tok::kRParen) &&
                   IsE(s, i + 3) && IsTok(s, i + 4, tok::kSemicolon);
        case 20:
            return IsTok(s, i, tok::kElse) && IsE(s, i + 1) && IsTok(s, i + 2, tok::kSemicolon);
        case 21:
            return IsTok(s, i, tok::kElse) && IsIfH(s, i + 1) && IsB(s, tree, i + 2) &&
                   IsTok(s, i + 3, tok::kRParen) && IsS(s, i + 4);
        case 22:
            return IsIfH(s, i) && IsB(s, tree, i + 1) && IsTok(s, i + 2, tok::kRParen) &&
                   IsS(s, i + 3);
        case 23:
            return IsTok(s, i, tok::kElse) && IsS(s, i + 1);
        case 24:
            return IsTok(s, i, tok::kLParen) && IsE(s, i + 1) && IsTok(s, i + 2, tok::kRParen);
        case 25:
            return IsAH(s, i) && Minus(s, i + 1);
        case 26:
            return IsTok(s, i, tok::kLParen) && Minus(s, i + 1);
        case 27:
            return IsOp(s, i) && Minus(s, i + 1);
        case 28:
            return IsIfH(s, i) && Minus(s, i + 1);
        case 29:
            return IsCH(s, i) && Minus(s, i + 1);
        case 30:
            return Minus(s, i);
        case 31:
            return Infix(s, i, tok::kTimes);
        case 32:
            return Infix(s, i, tok::kDivide);
        case 33:
            return Infix(s, i, tok::kPlus);
        case 34:
            return Infix(s, i, tok::kMinus);
        case 35:
            return InfixMarker(s, i, K::MulMarker);
        case 36:
            return InfixMarker(s, i, K::AddMarker);
        case 37:
            return Infix(s, i, tok::kModulo);
        case 38:
            return Infix(s, i, tok::kGreater);
        case 39:
            return Infix(s, i, tok::kLessEq);
        case 40:
            return Infix(s, i, tok::kLess);
        case 41:
            return Infix(s, i, tok::kGreaterEq);
        case 42:
            return Infix(s, i, tok::kEqEq);
        case 43:
            return Infix(s, i, tok::kNotEq);
        case 44:
            return IsTok(s, i, tok::kNot) && IsE(s, i + 1);
        case 45:
            return Infix(s, i, tok::kAndAnd);
        case 46:
            return Infix(s, i, tok::kOrOr);
        case 47:
            return IsE(s, i) && IsTok(s, i + 1, tok::kSemicolon);
        default:
            return false;
    }
}

}  // namespace korvel::parsing
