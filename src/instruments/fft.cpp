#include "instruments/fft.h"

#include <cmath>
#include <utility>

namespace korvel {

namespace {

// The analyzer's value of 2 pi, kept so that spectra match the records users
// already have to the last digit.
constexpr long double kTwoPi = 6.2831852L;

}  // namespace

unsigned BitReverse(unsigned value, int bits) {
    unsigned result = 0;
    for (int b = 0; b < bits; ++b) {
        result = (result << 1) | (value & 1u);
        value >>= 1;
    }
    return result;
}

void Fft(float* real, float* imag, int order) {
    const unsigned n = 1u << order;
    for (int s = 0; s < order; ++s) {
        const unsigned half = n >> (s + 1);
        const int shift = order - 1 - s;
        for (unsigned group = 0; group < n; group += 2 * half) {
            // Every j of a group's first half has the same j >> shift, so one
            // twiddle serves the group.
            const long double theta = BitReverse(group >> shift, order) * kTwoPi / n;
            const long double c = std::cos(theta);
            const long double sn = std::sin(theta);
            for (unsigned j = group; j < group + half; ++j) {
                // t = x[j + half] * (cos theta - i sin theta)
                const long double xr = real[j + half];
                const long double xi = imag[j + half];
                const long double tr = xr * c + xi * sn;
                const long double ti = xi * c - xr * sn;
                const long double ar = real[j];
                const long double ai = imag[j];
                real[j + half] = static_cast<float>(ar - tr);
                imag[j + half] = static_cast<float>(ai - ti);
                real[j] = static_cast<float>(ar + tr);
                imag[j] = static_cast<float>(ai + ti);
            }
        }
    }
    for (unsigned k = 0; k < n; ++k) {
        const unsigned r = BitReverse(k, order);
        if (k < r) {
            std::swap(real[k], real[r]);
            std::swap(imag[k], imag[r]);
        }
    }
}

}  // namespace korvel
