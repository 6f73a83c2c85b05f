// What goes wrong with a program block's text: compile errors returned as
// values, and the fault that ends an evaluation.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel {

// A program text that does not compile. Lexer errors are numbered two-line
// messages (what happened and what to do); parser errors are one Error box
// naming the line and the block. `fault` is the short text that ends the
// model's compile ("Error reading program" for every lexer error).
struct KProgramError {
    enum class Kind { Lexer, Parser };
    Kind kind = Kind::Parser;
    int number = 0;      // 101 to 103 for the lexer, 0 for the parser
    std::string text;    // the numbered message's description, or the box text
    std::string advice;  // the numbered message's advice (lexer only)
    std::string fault;
    int line = 0;
};

// Thrown by an evaluation that cannot go on: a math error of a built-in
// function, an int division by zero, or the program's own stop() (whose
// message is exactly "stop()"). The program block turns it into the engine's
// run-time error.
class KProgramFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace korvel
