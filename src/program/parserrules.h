// The parser's statement entries and its rule table: what each of the 47
// rewrite rules matches. What a rule does when it matches is the parser's
// (parser.cpp); the order of the rules is the grammar.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "program/programtree.h"
#include "program/token.h"

namespace korvel::parsing {

// One entry of a statement being rewritten: a lexer token or something a rule
// built from tokens.
struct Entry {
    enum class Kind : std::uint8_t {
        Token,
        AssignHead,  // variable "=": ref = the variable
        CondHead,    // "if" "("
        CallHead,    // function "(": ref = the built-in
        ExprList,    // collected call arguments, last written first
        MulMarker,   // "*" or "/" whose operands are pending: code = the operator
        AddMarker,   // "+" or "-" likewise
        Expr,        // ref = the expression node
        Line,        // ref = the statement line
    };
    Kind kind = Kind::Token;
    int code = 0;  // Token: kind code; markers: the operator
    int line = 1;
    std::uint32_t ref = 0;  // Token: index into the token list
    std::vector<std::uint32_t> args;
};

using Statement = std::vector<Entry>;

inline bool IsKind(const Statement& s, std::size_t i, Entry::Kind k) {
    return s[i].kind == k;
}
inline bool IsTok(const Statement& s, std::size_t i, int code) {
    return s[i].kind == Entry::Kind::Token && s[i].code == code;
}

// Operators that may stand before a unary minus: every operator except "&&",
// "||", "&", "|", the brackets, ";" and "*/".
bool IsOpCode(int code);

// A token code or entry kind that a match of the rule must contain; rules
// whose key is absent from a statement need not be searched.
struct RuleKey {
    bool isToken;
    int value;
};
RuleKey KeyOf(int rule);

// The number of entries the rule's pattern spans.
std::size_t PatternLength(int rule);

// Whether the rule's pattern matches the entries starting at i (the caller
// makes sure the pattern fits).
bool Matches(const Statement& s, const KProgramTree& tree, int rule, std::size_t i);

}  // namespace korvel::parsing
