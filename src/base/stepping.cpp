#include "base/stepping.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>

namespace korvel {

namespace {

constexpr std::array<double, 14> kCoarseSteps = {
    1.0, 1.2, 1.4, 1.7, 2.0, 2.5, 3.0, 3.5, 4.2, 5.0, 6.0, 7.07, 8.5, 10.0,
};

constexpr std::array<double, 66> kFineSteps = {
    1.0,  1.04, 1.08, 1.12, 1.16, 1.2,  1.24, 1.28, 1.32, 1.36, 1.4,  1.46, 1.52, 1.58,
    1.64, 1.7,  1.76, 1.82, 1.88, 1.94, 2.0,  2.08, 2.16, 2.24, 2.32, 2.4,  2.5,  2.63,
    2.76, 2.88, 3.0,  3.1,  3.2,  3.3,  3.4,  3.5,  3.64, 3.78, 3.92, 4.06, 4.2,  4.36,
    4.52, 4.68, 4.84, 5.0,  5.2,  5.4,  5.6,  5.8,  6.0,  6.2,  6.4,  6.6,  6.8,  7.07,
    7.3,  7.6,  7.9,  8.2,  8.5,  8.8,  9.1,  9.4,  9.7,  10.0,
};

constexpr double kUpFactor = 1.00001;
constexpr double kDownFactor = 0.99999;

// A positive finite magnitude as 10^(exponent + fraction), 0 <= fraction < 1.
struct KDecade {
    int exponent;
    double fraction;
};

KDecade Decompose(double magnitude) {
    const double logarithm = std::log10(magnitude);
    double exponent = std::floor(logarithm);
    double fraction = logarithm - exponent;
    // Just below a power of ten, log10 - floor can round up to exactly 1;
    // such a magnitude is that power of ten for stepping purposes.
    if (fraction >= 1.0) {
        fraction = 0.0;
        exponent += 1.0;
    }
    // The logarithm of a finite positive double lies within about +-324.
    return KDecade{static_cast<int>(exponent), fraction};
}

// mantissa * 10^exponent using exact powers of ten where they exist, so that
// stepping onto 1.2 * 10^3 gives 1200 and not 1200.0000000000002.
double ScaleByDecade(double mantissa, int exponent) {
    if (exponent >= 0) {
        return mantissa * std::pow(10.0, exponent);
    }
    // 10^-exponent itself overflows below 1e-308; divide in two stages so
    // subnormal results come out instead of 0.
    if (exponent < -300) {
        return mantissa / std::pow(10.0, -exponent - 300) / 1e300;
    }
    return mantissa / std::pow(10.0, -exponent);
}

// The stepped magnitude with the sign of x, or x itself when the magnitude
// has left the double range.
double WithSignOf(double x, double magnitude) {
    if (!std::isfinite(magnitude)) {
        return x;
    }
    return std::copysign(magnitude, x);
}

// The nudged magnitude to step from, or nothing when x itself is the answer:
// 0, infinity, NaN, or a magnitude so large that nudging it overflows.
bool NudgedMagnitude(double x, double factor, double& magnitude) {
    if (x == 0.0 || !std::isfinite(x)) {
        return false;
    }
    magnitude = std::fabs(x) * factor;
    return std::isfinite(magnitude);
}

// What a stepper answers when NudgedMagnitude refuses: 0 for either zero,
// else the argument itself.
double Unstepped(double x) {
    return x == 0.0 ? 0.0 : x;
}

}  // namespace

std::span<const double> CoarseSteps() {
    return kCoarseSteps;
}

std::span<const double> FineSteps() {
    return kFineSteps;
}

double NextHighest10(double x) {
    double magnitude = 0.0;
    if (!NudgedMagnitude(x, kUpFactor, magnitude)) {
        return Unstepped(x);
    }
    const KDecade decade = Decompose(magnitude);
    double mantissa = 10.0;
    if (decade.fraction < std::log10(2.0)) {
        mantissa = 2.0;
    } else if (decade.fraction < std::log10(5.0)) {
        mantissa = 5.0;
    }
    return WithSignOf(x, ScaleByDecade(mantissa, decade.exponent));
}

double NextLowest10(double x) {
    double magnitude = 0.0;
    if (!NudgedMagnitude(x, kDownFactor, magnitude)) {
        return Unstepped(x);
    }
    const KDecade decade = Decompose(magnitude);
    double mantissa = 0.5;  // an exact power of ten steps to half of itself
    if (decade.fraction > std::log10(5.0)) {
        mantissa = 5.0;
    } else if (decade.fraction > std::log10(2.0)) {
        mantissa = 2.0;
    } else if (decade.fraction > 0.0) {
        mantissa = 1.0;
    }
    return WithSignOf(x, ScaleByDecade(mantissa, decade.exponent));
}

double NextHighestThisArray(double x, std::span<const double> table, Messages& messages) {
    double magnitude = 0.0;
    if (!NudgedMagnitude(x, kUpFactor, magnitude)) {
        return Unstepped(x);
    }
    const KDecade decade = Decompose(magnitude);
    const auto found = std::find_if(table.begin(), table.end(), [&decade](double entry) {
        return std::log10(entry) > decade.fraction;
    });
    if (found == table.end()) {
        messages.ErrorBox("Internal Error:  NextHighestThisArray Failed");
        return std::fabs(x);
    }
    return WithSignOf(x, ScaleByDecade(*found, decade.exponent));
}

double NextLowestThisArray(double x, std::span<const double> table, Messages& messages) {
    double magnitude = 0.0;
    if (!NudgedMagnitude(x, kDownFactor, magnitude)) {
        return Unstepped(x);
    }
    KDecade decade = Decompose(magnitude);
    // An exact power of ten has no entry below it in its own decade (the
    // table starts at 1.0); its next lower value is near the top of the
    // decade below, as 10.0 is the last entry there.
    if (decade.fraction == 0.0) {
        decade.exponent -= 1;
        decade.fraction = 1.0;
    }
    const auto found = std::find_if(table.rbegin(), table.rend(), [&decade](double entry) {
        return std::log10(entry) < decade.fraction;
    });
    if (found == table.rend()) {
        messages.ErrorBox("Internal Error:  NextLowestThisArray Failed");
        return std::fabs(x);
    }
    return WithSignOf(x, ScaleByDecade(*found, decade.exponent));
}

double Round(double x) {
    // x - floor(x) is exact for every double, unlike x + 0.5, which rounds
    // 0.49999999999999994 up to 1 and odd integers above 2^52 to even ones.
    const double whole = std::floor(x);
    return x - whole >= 0.5 ? whole + 1.0 : whole;
}

int RoundToInt(double x) {
    const double rounded = Round(x);
    if (std::isnan(rounded)) {
        return 0;
    }
    if (rounded >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (rounded <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(rounded);
}

int Clamp(int x, int a, int b) {
    return std::clamp(x, std::min(a, b), std::max(a, b));
}

double Clamp(double x, double a, double b) {
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    if (x < low) {
        return low;
    }
    if (x > high) {
        return high;
    }
    return x;
}

double Log10(double x) {
    return std::log(x) / std::numbers::ln10;
}

double Pow10(double x) {
    return std::exp(x * std::numbers::ln10);
}

double SafeAtan2(double y, double x) {
    if (y == 0.0 && x == 0.0) {
        return 0.0;
    }
    return std::atan2(y, x);
}

}  // namespace korvel
