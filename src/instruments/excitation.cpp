#include "instruments/excitation.h"

#include <cmath>

namespace korvel {

namespace {

constexpr double kOmega = 1.227184609375;
// pi/16, 3pi/16, 5pi/16, 7pi/16 as the analyzer has always used them.
constexpr double kTheta[4] = {0.1963495375, 0.5890486125, 0.9817476875, 1.3744467625};

}  // namespace

KExcitation::KExcitation() {
    for (int i = 0; i < 4; ++i) {
        const double zeta = std::cos(kTheta[i]);
        Section& s = sections_[static_cast<std::size_t>(i)];
        s.c1 = -2.0 * std::exp(-zeta * kOmega) * std::sin(kOmega * std::sqrt(1.0 - zeta * zeta));
        s.c2 = std::exp(-2.0 * zeta * kOmega);
        s.g = 1.0 + s.c1 + s.c2;
    }
}

void KExcitation::Reset() {
    state_ = 0;
    for (Section& s : sections_) s.y1 = s.y2 = 0.0;
}

double KExcitation::NextGenerator() {
    state_ = (kMultiplier * state_ + kIncrement) % kModulus;
    if (!binary) return (static_cast<double>(state_) / kModulus - 0.5) * amplitude + offset;
    return state_ <= kModulus / 2 ? offset - amplitude : offset + amplitude;
}

double KExcitation::Shape(double x) {
    for (Section& s : sections_) {
        const double y = s.g * x - s.c1 * s.y1 - s.c2 * s.y2;
        s.y2 = s.y1;
        s.y1 = y;
        x = y;
    }
    return x;
}

}  // namespace korvel
