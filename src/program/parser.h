// The program parser: turns a token list into statement lines.
//
// It is not a recursive-descent parser. The tokens are cut into statements
// (up to a ";", or up to the "}" that matches a "{"), and each statement is
// rewritten in place by an ordered table of pattern rules until one line is
// left. The order of the rules, and whether a rule looks at the whole
// statement or only at its innermost parentheses, is the language's grammar:
// "*" and "/" bind tighter than "+" and "-", then "%", then the comparisons,
// then "!", "&&" and "||"; assignment is a whole statement and chains from the
// right; a unary minus follows "=", "(", an operator or the start of a
// statement. See the rule table in parserrules.cpp and what each rule builds in
// parser.cpp.
//
// Every failure is returned as a KProgramError whose text names the line and
// the block. Limits that keep hostile texts cheap: braces nest at most
// kMaxBraceDepth deep, a statement outside braces has at most
// kMaxStatementTokens tokens, and expressions and if bodies nest at most
// kMaxExpressionDepth deep.
#pragma once

#include <string_view>
#include <vector>

#include "program/programerror.h"
#include "program/programtree.h"
#include "program/symboltable.h"
#include "program/token.h"

namespace korvel {

inline constexpr int kMaxBraceDepth = 64;
inline constexpr int kMaxStatementTokens = 4000;
inline constexpr int kMaxExpressionDepth = 1000;

// Parses the tokens into the tree (cleared first). False with the error
// filled in when the text does not parse.
[[nodiscard]] bool ParseProgram(const std::vector<KToken>& tokens, const KSymbolTable& symbols,
                                std::string_view blockName, KProgramTree& tree,
                                KProgramError& error);

}  // namespace korvel
