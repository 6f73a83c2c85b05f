#include "program/builtins.h"

#include <cmath>
#include <string>

#include "program/programerror.h"

namespace korvel {

namespace {

[[noreturn]] void MathError(std::string_view kind, std::string_view routine) {
    throw KProgramFault(std::string(kind) + " error in function\"" + std::string(routine) + "()\"");
}

// A finite argument that gives an infinite result has overflowed.
double CheckOverflow(double x, double result, std::string_view routine) {
    if (std::isinf(result) && std::isfinite(x)) MathError("Overflow", routine);
    return result;
}

double Sin(double x) {
    if (std::isinf(x)) MathError("Domain", "sin");
    return std::sin(x);
}
double Cos(double x) {
    if (std::isinf(x)) MathError("Domain", "cos");
    return std::cos(x);
}
double Tan(double x) {
    if (std::isinf(x)) MathError("Domain", "tan");
    return std::tan(x);
}
double Asin(double x) {
    if (x < -1.0 || x > 1.0) MathError("Domain", "asin");
    return std::asin(x);
}
double Acos(double x) {
    if (x < -1.0 || x > 1.0) MathError("Domain", "acos");
    return std::acos(x);
}
double Atan(double x) {
    return std::atan(x);
}
double Sinh(double x) {
    return CheckOverflow(x, std::sinh(x), "sinh");
}
double Cosh(double x) {
    return CheckOverflow(x, std::cosh(x), "cosh");
}
double Tanh(double x) {
    return std::tanh(x);
}
double Exp(double x) {
    return CheckOverflow(x, std::exp(x), "exp");
}
double Log(double x) {
    if (x < 0.0) MathError("Domain", "log");
    if (x == 0.0) MathError("Singularity", "log");
    return std::log(x);
}
double Log10(double x) {
    return Log(x) / std::log(10.0);
}
double Sqrt(double x) {
    if (x < 0.0) MathError("Domain", "sqrt");
    return std::sqrt(x);
}
double Fabs(double x) {
    return std::fabs(x);
}
double Pow10(double x) {
    return Exp(x * std::log(10.0));
}
double Floor(double x) {
    return std::floor(x);
}
double Ceil(double x) {
    return std::ceil(x);
}

// The angle of the point (x, y); 0 at the origin.
double Atan2(double x, double y) {
    if (x == 0.0 && y == 0.0) return 0.0;
    return std::atan2(y, x);
}
// x to the power y as exp(y log x), so x must be positive.
double Pow(double x, double y) {
    try {
        return Exp(y * Log(x));
    } catch (const KProgramFault&) {
        if (x <= 0.0) throw KProgramFault("Error in function\"Pow()\":  2nd argument <= 0");
        throw KProgramFault("Unknown error in function\"Pow()\"");
    }
}
double Max(double x, double y) {
    return y > x ? y : x;
}
double Min(double x, double y) {
    return y < x ? y : x;
}
double Hypot(double x, double y) {
    return std::sqrt(x * x + y * y);
}
double Fmod(double x, double y) {
    if (y == 0.0 || std::isinf(x)) MathError("Domain", "fmod");
    return std::fmod(x, y);
}

using K = KBuiltinKind;
constexpr KBuiltin kBuiltins[] = {
    {"t", K::Time, 0},
    {"PI", K::Pi, 0},
    {"stop", K::Stop, 0},
    {"sin", K::Unary, 1, &Sin},
    {"asin", K::Unary, 1, &Asin},
    {"sinh", K::Unary, 1, &Sinh},
    {"cos", K::Unary, 1, &Cos},
    {"acos", K::Unary, 1, &Acos},
    {"cosh", K::Unary, 1, &Cosh},
    {"tan", K::Unary, 1, &Tan},
    {"tanh", K::Unary, 1, &Tanh},
    {"atan", K::Unary, 1, &Atan},
    {"exp", K::Unary, 1, &Exp},
    {"log", K::Unary, 1, &Log},
    {"log10", K::Unary, 1, &Log10},
    {"sqrt", K::Unary, 1, &Sqrt},
    {"fabs", K::Unary, 1, &Fabs},
    {"pow10", K::Unary, 1, &Pow10},
    {"floor", K::Unary, 1, &Floor},
    {"ceil", K::Unary, 1, &Ceil},
    {"atan2", K::Binary, 2, nullptr, &Atan2},
    {"pow", K::Binary, 2, nullptr, &Pow},
    {"max", K::Binary, 2, nullptr, &Max},
    {"min", K::Binary, 2, nullptr, &Min},
    {"hypot", K::Binary, 2, nullptr, &Hypot},
    {"fmod", K::Binary, 2, nullptr, &Fmod},
};

}  // namespace

std::span<const KBuiltin> Builtins() {
    return kBuiltins;
}

void ProgramStop() {
    throw KProgramFault("stop()");
}

}  // namespace korvel
