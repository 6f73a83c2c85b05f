// The program lexer: cuts a program text into tokens.
//
// The text is read byte by byte up to its end or its first NUL. Blanks, tabs
// and carriage returns separate tokens; line feeds also count lines (a
// carriage return alone does not). Names start with a letter or "_" and go on
// over letters, digits, "_" and "$"; numbers start with a digit and go on over
// digits, "." and "e"/"E" (a "-" right after the "e" belongs to the number);
// "//" and "/* ... */" are comments (an unterminated "/*" ends the text).
// Operators are one or two characters long, two when the pair is an operator.
#pragma once

#include <string_view>
#include <vector>

#include "program/programerror.h"
#include "program/token.h"

namespace korvel {

// Appends the tokens of the text; false, with the error filled in, at the
// first conversion error or unrecognised character (the tokens made before it
// stay in the list).
[[nodiscard]] bool Tokenize(std::string_view text, std::vector<KToken>& tokens,
                            KProgramError& error);

}  // namespace korvel
