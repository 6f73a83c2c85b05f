// KProgram: a program block's text, compiled once and run at every
// evaluation.
//
// Compile tokenizes the text, resolves names against the built-in functions
// and the block's variables, parses it (parser.h) and turns the statement
// lines into a flat list of instructions whose operands are plain pointers:
// a variable's read is the block's input or output value itself, temporaries
// and constants live in two small arrays the program owns. Run walks that
// list; it does no allocation, no name lookup and no string work, and it
// stops only at the end, at stop() or at a math error (KProgramFault).
//
// Values follow the language's three types: doubles, 32-bit ints (arithmetic
// wraps, division truncates toward zero, a zero divisor is a fault) and bools.
// A double read as an int truncates toward zero; one that is not a number or
// is beyond the int range reads as the smallest int, as the processor's own
// conversion gives.
//
// In an if / else if / else chain the first line whose condition holds runs
// and the rest of the chain is skipped; "&&" and "||" skip their right operand
// when the left one decides; a call evaluates its arguments last one first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/programerror.h"

namespace korvel {

// A name the program can read and assign. Reads see `*read`; assignments
// store into `*write` (which may differ from read, for an input whose value
// comes from a wire: the assignment then does not reach the wire's source).
struct KProgramVariable {
    std::string name;
    const double* read = nullptr;
    double* write = nullptr;
};

class KProgram {
public:
    // Compiles the text; false with the error filled in when it does not.
    // The variables' pointers must stay valid while the program runs.
    [[nodiscard]] bool Compile(std::string_view text, std::span<const KProgramVariable> variables,
                               std::string_view blockName, KProgramError& error);

    // One run of the whole program; `time` is what t() answers. Throws
    // KProgramFault for stop() ("stop()"), math errors and int division by zero.
    // Does nothing when the program is not compiled.
    void Run(double time);

    bool Ready() const { return ready_; }
    // Instructions in the compiled form (for tests and benchmarks).
    std::size_t InstructionCount() const { return code_.size(); }

    enum class Opcode : std::uint8_t;
    struct Instruction {
        const void* handler = nullptr;  // where Run continues for this opcode
        void* d = nullptr;              // result
        const void* a = nullptr;        // operands
        const void* b = nullptr;
        std::uint32_t target = 0;  // jumps: the instruction; calls: the function
        Opcode code{};
    };

private:
    std::vector<Instruction> code_;
    std::vector<double (*)(double)> unary_;
    std::vector<double (*)(double, double)> binary_;
    bool threaded_ = false;           // handlers filled in (at the first run)
    std::vector<double> doubles_;     // [0] = time, then constants, then temporaries
    std::vector<std::int32_t> ints_;  // constants, then temporaries (bools are 0 or 1)
    bool ready_ = false;
};

}  // namespace korvel
