#include "engine/blocks_wavegen.h"

#include <cmath>

#include "engine/logiclevel.h"

namespace korvel {

namespace {

constexpr double kPi = 3.1415926;
constexpr double kCycle = 6.2831852;

KVarDisplay IntegralDisplay() {
    KVarDisplay display;
    display.scale = 1.0;
    return display;
}

// The waveform list index: truncated toward zero, within 0..8 (not a number: 0).
KLibraryWaveGen::Waveform WaveformOf(double value) {
    const double index = std::trunc(value);
    if (!std::isgreater(index, 0.0)) return KLibraryWaveGen::Waveform::Sine;
    if (index > 8) return KLibraryWaveGen::Waveform::Dc;
    return static_cast<KLibraryWaveGen::Waveform>(static_cast<int>(index));
}

// A cycloidal ramp's correction term.
double Cycloid(double u) {
    return std::sin(kCycle * u) / kCycle;
}

}  // namespace

KLibraryWaveGen::KLibraryWaveGen(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      settings_(ReadSettings()),
      enable_(In("Enable")),
      out_(Out("Output")),
      first_(benchTop, "KWave #1", IntegralDisplay(), 0.0, false),
      second_(benchTop, "KWave #2", IntegralDisplay(), 0.0, false) {}

KLibraryWaveGen::Settings KLibraryWaveGen::ReadSettings() const {
    Settings s;
    s.waveform = WaveformOf(NodeValue("Waveform"));
    s.frequency = NodeValue("Frequency");
    s.amplitude = NodeValue("Amplitude");
    s.offset = NodeValue("Offset");
    s.phase = NodeValue("Phase");
    s.dutyCycle = NodeValue("DutyCycle");
    s.mult = NodeValue("Mult");
    return s;
}

double KLibraryWaveGen::Shape(const Settings& s, double p) {
    const double a = s.amplitude;
    const double o = s.offset;
    switch (s.waveform) {
        case Waveform::Sine:
            return a * std::sin(2 * kPi * p) + o;
        case Waveform::Square:
            return p <= 0.5 ? a + o : -a + o;
        case Waveform::Triangle:
            return p < 0.5 ? (4 * p - 1) * a + o : (3 - 4 * p) * a + o;
        case Waveform::Sawtooth:
            return (2 * p - 1) * a + o;
        case Waveform::Pulse:
            return p < s.dutyCycle / 100 ? a + o : -a + o;
        case Waveform::BipolarPulse: {
            const double d = s.dutyCycle / 200;
            if (p < d) return a + o;
            if (p <= 0.5) return o;
            if (p <= 0.5 + d) return -a + o;
            return o;
        }
        case Waveform::Trapezoid: {
            const double w = s.dutyCycle / 300;
            if (p < w) return (p / w) * a + o;
            if (p < 2 * w) return a + o;
            if (p < 3 * w) return (1 - (p - 2 * w) / w) * a + o;
            return o;
        }
        case Waveform::SCurve: {
            const double w = s.dutyCycle / 300;
            if (p < w) {
                const double u = p / w;
                return (u - Cycloid(u)) * a + o;
            }
            if (p < 2 * w) return a + o;
            if (p < 3 * w) {
                const double u = (p - 2 * w) / w;
                return (1 - u + Cycloid(u)) * a + o;
            }
            return o;
        }
        case Waveform::Dc:
            return o;
    }
    return o;
}

void KLibraryWaveGen::Compute(double time) {
    if (!IsTrue(*enable_)) {
        *out_ = 0.0;
        first_.Derivative() = 0.0;
        second_.Derivative() = 0.0;
        return;
    }
    double p = time * settings_.frequency + settings_.phase / 360;
    p -= std::floor(p);
    const double w = Shape(settings_, p) * settings_.mult;
    sync_ = p <= 0.5 ? 1.0 : 0.0;
    first_.Derivative() = w;
    second_.Derivative() = first_.Value();
    *out_ = w;
}

}  // namespace korvel
