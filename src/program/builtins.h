// The built-in functions of the program language.
//
// Every built-in returns a double. Math errors are found by checking the
// arguments and results of the standard routines and raised as KProgramFault
// with the text "<Kind> error in function"<routine>()"", naming the library
// routine that failed: log10 reports log, pow10 reports exp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace korvel {

enum class KBuiltinKind : std::uint8_t { Time, Pi, Stop, Unary, Binary };

struct KBuiltin {
    std::string_view name;
    KBuiltinKind kind;
    int argumentCount;
    double (*unary)(double) = nullptr;           // Unary: f(x)
    double (*binary)(double, double) = nullptr;  // Binary: f(x, y), in written order
};

// In the order the symbol table gets them: "t", "PI", "stop", then the math.
std::span<const KBuiltin> Builtins();

// The value of PI(): 3.1415926, not the full-precision pi.
inline constexpr double kProgramPi = 3.1415926;

// Raises the fault of stop().
[[noreturn]] void ProgramStop();

}  // namespace korvel
