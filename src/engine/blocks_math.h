// Arithmetic, single-input functions and powers.
//
// The blocks do not guard their arithmetic except where a zero divisor would
// pass unnoticed: Divide, Inverse Scale-by, One Over x and Modulo report
// "division by zero" as a run-time error, which stops the run. A negative
// square root or the logarithm of a non-positive Y gives not-a-number, as
// the math library answers.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "engine/libraryfamilies.h"
#include "engine/runerror.h"

namespace korvel {

namespace mathops {

[[noreturn]] inline void ThrowDivisionByZero() {
    throw KRunError(std::string(kDivisionByZero));
}

struct TwoInputs : KOpDefaults {
    static constexpr std::string_view kA = "Input1";
    static constexpr std::string_view kB = "Input2";
};
struct ThreeInputs : TwoInputs {
    static constexpr std::string_view kC = "Input3";
};
struct ScaleInputs : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Scale by";
};
struct OneInput : KOpDefaults {
    static constexpr std::string_view kInput = "Input";
};

struct Add : TwoInputs {
    static double Apply(double a, double b) { return a + b; }
};
struct Sub : TwoInputs {
    static double Apply(double a, double b) { return a - b; }
};
struct Mult : TwoInputs {
    static double Apply(double a, double b) { return a * b; }
};
struct Divide : TwoInputs {
    static constexpr bool kCanFail = true;
    static double Apply(double a, double b) {
        if (b == 0.0) ThrowDivisionByZero();
        return a / b;
    }
};
struct Add3 : ThreeInputs {
    static double Apply(double a, double b, double c) { return a + b + c; }
};
struct Mult3 : ThreeInputs {
    static double Apply(double a, double b, double c) { return a * b * c; }
};
// "Scale-by" shares the multiply: Input x "Scale by".
struct Scale : ScaleInputs {
    static double Apply(double a, double b) { return a * b; }
};
struct InverseScale : ScaleInputs {
    static constexpr bool kCanFail = true;
    static double Apply(double a, double b) {
        if (b == 0.0) ThrowDivisionByZero();
        return a / b;
    }
};

struct Sqrt : OneInput {
    static double Apply(double x) { return std::sqrt(x); }
};
struct OneOverX : OneInput {
    static constexpr bool kCanFail = true;
    static double Apply(double x) {
        if (x == 0.0) ThrowDivisionByZero();
        return 1.0 / x;
    }
};
struct AbsValue : OneInput {
    static double Apply(double x) { return std::fabs(x); }
};
struct MinusX : OneInput {
    static double Apply(double x) { return -x; }
};
struct Exp : OneInput {
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 1.0;
    static double Apply(double x) { return std::exp(x); }
};

// Y^x as exp(x ln Y).
struct ExpLnY : KOpDefaults {
    static constexpr std::string_view kA = "Y";
    static constexpr std::string_view kB = "x";
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 1.0;
    static double Apply(double y, double x) { return std::exp(x * std::log(y)); }
};

// Y^N for a whole N ("N" + 0.5 truncated toward zero), defined for negative Y.
struct ExpNLnY : KOpDefaults {
    static constexpr std::string_view kA = "Y";
    static constexpr std::string_view kB = "N";
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 1.0;
    static double Apply(double y, double nodeN) {
        const double n = std::trunc(nodeN + 0.5);
        if (y == 0.0 || std::isnan(y)) return n == 0.0 ? 1.0 : 0.0;
        if (y > 0.0) return std::exp(n * std::log(y));
        const double magnitude = std::exp(n * std::log(-y));
        const bool odd = std::fmod(n, 2.0) != 0.0;
        return odd ? -magnitude : magnitude;
    }
};

// x - floor(x / m) m with m = "Modulo" x "Mult": the result takes the sign of m.
struct Modulo : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Modulo";
    static constexpr std::string_view kC = "Mult";
    static constexpr bool kCanFail = true;
    static double Apply(double x, double modulo, double mult) {
        const double m = modulo * mult;
        if (m == 0.0) ThrowDivisionByZero();
        return x - std::floor(x / m) * m;
    }
};

// Rounds or truncates to a multiple of "Resolution"; "Type" is None, Round, Truncate.
struct Quantize : KOpDefaults {
    static constexpr std::string_view kA = "Input";
    static constexpr std::string_view kB = "Type";
    static constexpr std::string_view kC = "Resolution";
    static double Apply(double x, double type, double resolution) {
        const double index = std::trunc(type + 0.5);
        if (resolution == 0.0 || std::isnan(resolution) || index == 0.0) return x;
        if (index == 1.0) return std::floor(x / resolution + 0.5) * resolution;
        return std::floor(x / resolution) * resolution;
    }
};

}  // namespace mathops

using KLibraryAdd = KLibraryBinary<mathops::Add>;
using KLibrarySub = KLibraryBinary<mathops::Sub>;
using KLibraryMult = KLibraryBinary<mathops::Mult>;
using KLibraryDivide = KLibraryBinary<mathops::Divide>;
using KLibraryAdd3 = KLibraryTernary<mathops::Add3>;
using KLibraryMult3 = KLibraryTernary<mathops::Mult3>;
using KLibraryScale = KLibraryBinary<mathops::Scale>;
using KLibraryIScale = KLibraryBinary<mathops::InverseScale>;
using KLibrarySqrt = KLibraryUnary<mathops::Sqrt>;
using KLibraryOneOverX = KLibraryUnary<mathops::OneOverX>;
using KLibraryAbsValue = KLibraryUnary<mathops::AbsValue>;
using KLibraryMinusX = KLibraryUnary<mathops::MinusX>;
using KLibraryExp = KLibraryUnary<mathops::Exp>;
using KLibraryExpLnY = KLibraryBinary<mathops::ExpLnY>;
using KLibraryExpNLnY = KLibraryBinary<mathops::ExpNLnY>;
using KLibraryModulo = KLibraryTernary<mathops::Modulo>;
using KLibraryQuantize = KLibraryTernary<mathops::Quantize>;

}  // namespace korvel
