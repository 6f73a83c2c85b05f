// Signal sources: time, the trigonometric and periodic waves, and the random
// number generator.
//
// The wave blocks take an angle in radians. Their period and break points are
// the literal constants below, not full-precision pi, so models keep giving
// the numbers they always gave; fmod keeps the sign of the angle, so negative
// angles follow the same formulas with a negative phase.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "engine/libraryclass.h"
#include "engine/libraryfamilies.h"

namespace korvel {

inline constexpr double kWavePeriod = 6.2831852;
inline constexpr double kWaveQuarter = 1.5707963;
inline constexpr double kWaveThreeQuarters = 4.7123889;
inline constexpr double kWaveInversePi = 1.0 / 3.1415926;

namespace waveops {

struct OneInput : KOpDefaults {
    static constexpr std::string_view kInput = "Input";
};

struct Sin : OneInput {
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 0.0;
    static double Apply(double x) { return std::sin(x); }
};
struct Cos : OneInput {
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 1.0;
    static double Apply(double x) { return std::cos(x); }
};
struct Square : OneInput {
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 1.0;
    static double Apply(double x) {
        const double p = std::fmod(x, kWavePeriod);
        return (p > kWaveQuarter && p < kWaveThreeQuarters) ? -1.0 : 1.0;
    }
};
struct Triangle : OneInput {
    static constexpr bool kPresets = true;
    static constexpr double kPresetValue = 0.0;
    static double Apply(double x) {
        const double p = std::fmod(x, kWavePeriod);
        if (p < kWaveQuarter) return 2 * p * kWaveInversePi;
        if (p < kWaveThreeQuarters) return 2 - 2 * p * kWaveInversePi;
        return 2 * p * kWaveInversePi - 4;
    }
};
struct Sawtooth : OneInput {
    static double Apply(double x) { return std::fmod(x, kWavePeriod) * kWaveInversePi - 1; }
};

}  // namespace waveops

using KLibrarySin = KLibraryUnary<waveops::Sin>;
using KLibraryCos = KLibraryUnary<waveops::Cos>;
using KLibrarySquareWave = KLibraryUnary<waveops::Square>;
using KLibraryTriangleWave = KLibraryUnary<waveops::Triangle>;
using KLibrarySawtoothWave = KLibraryUnary<waveops::Sawtooth>;

// Output = the evaluation time.
class KLibraryTime final : public KLibraryClass {
public:
    KLibraryTime(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override { *out_ = time; }
    bool DescribeKernel(KKernel& kernel) const override;

private:
    double* out_;
};

// A linear congruential sequence that starts again at every build, so a model
// gives the same numbers on every compile. A new number is drawn only when
// the time moves on, so the repeated evaluations at one time see one value.
class KLibraryRandom final : public KLibraryClass {
public:
    KLibraryRandom(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    static constexpr std::int32_t kMultiplier = 7141;
    static constexpr std::int32_t kIncrement = 54743;
    static constexpr std::int32_t kModulus = 259200;
    double* out_;
    const double* amplitude_;
    const double* offset_;
    std::int32_t seed_ = 0;
    double lastTime_ = -1.0;
};

}  // namespace korvel
