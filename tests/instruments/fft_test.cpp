#include "instruments/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "instruments/xferchannel.h"

namespace korvel {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::complex<double> DirectDft(const std::vector<float>& re, const std::vector<float>& im, int k) {
    const std::size_t n = re.size();
    std::complex<double> sum = 0;
    for (std::size_t t = 0; t < n; ++t) {
        const double angle = -2.0 * kPi * static_cast<double>((t * static_cast<std::size_t>(k)) % n) /
                             static_cast<double>(n);
        sum += std::complex<double>(re[t], im[t]) * std::polar(1.0, angle);
    }
    return sum;
}

// Every order the analyzer supports, against the defining sum: every bin for
// short records, a random choice of bins for long ones. The records are
// single precision, so the error allowed grows with log N float roundings of
// values of size sqrt(N).
TEST(Fft, MatchesTheDirectTransformAtEveryOrder) {
    std::mt19937 random(19);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int order = 3; order <= 20; ++order) {
        SCOPED_TRACE(order);
        const std::size_t n = std::size_t{1} << order;
        std::vector<float> re(n), im(n);
        for (std::size_t i = 0; i < n; ++i) {
            re[i] = value(random);
            im[i] = order % 2 == 0 ? 0.0f : value(random);
        }
        std::vector<float> fre = re, fim = im;
        Fft(fre.data(), fim.data(), order);
        const double tolerance = 4e-7 * order * std::sqrt(static_cast<double>(n));
        std::vector<int> bins;
        if (order <= 10) {
            for (std::size_t k = 0; k < n; ++k) bins.push_back(static_cast<int>(k));
        } else {
            std::uniform_int_distribution<int> bin(0, static_cast<int>(n) - 1);
            for (int i = 0; i < 4; ++i) bins.push_back(bin(random));
        }
        for (int k : bins) {
            const std::complex<double> expected = DirectDft(re, im, k);
            ASSERT_NEAR(fre[static_cast<std::size_t>(k)], expected.real(), tolerance) << k;
            ASSERT_NEAR(fim[static_cast<std::size_t>(k)], expected.imag(), tolerance) << k;
        }
    }
}

// A cosine of amplitude 1 exactly on bin 5 of 64 gives N/2 at bins 5 and 59
// and nothing elsewhere.
TEST(Fft, ABinCentredSineGivesOneLine) {
    const int n = 64;
    std::vector<float> re(n), im(n, 0.0f);
    for (int t = 0; t < n; ++t) re[static_cast<std::size_t>(t)] = std::cos(2 * kPi * 5 * t / n);
    Fft(re.data(), im.data(), 6);
    for (int k = 0; k < n; ++k) {
        const double magnitude = std::hypot(re[static_cast<std::size_t>(k)], im[static_cast<std::size_t>(k)]);
        EXPECT_NEAR(magnitude, (k == 5 || k == 59) ? 32.0 : 0.0, 1e-4) << k;
    }
}

TEST(Fft, GainAndPhaseOfOneBin) {
    struct Case {
        double re, im, gain, phase;
    };
    const Case kCases[] = {
        {0, 0, -200.0, 90.0},   {10, 0, 20.0, 0.0},    {0, -1, 0.0, -90.0},
        {-1, 0, 0.0, -180.0},   {-1, -1, 3.0103, -135.0}, {-1, 1, 3.0103, -225.0},
        {1, 1, 3.0103, 45.0},
    };
    for (const Case& c : kCases) {
        EXPECT_NEAR(GainDb(c.re, c.im), c.gain, 1e-4);
        // The analyzer's degrees-per-radian is good to 1e-8.
        EXPECT_NEAR(PhaseDeg(c.re, c.im), c.phase, 1e-5);
    }
}

}  // namespace
}  // namespace korvel
