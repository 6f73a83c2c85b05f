// The waveform engine of the Waveform Generator block.
//
// The waveform, frequency, amplitude, offset, phase, duty cycle and
// multiplier are read when the model is built (a change needs a recompile);
// "Enable" is read at every evaluation. Two state variables, "KWave #1" and
// "KWave #2", integrate the waveform once and twice and are visible to the
// instruments.
//
// While "Enable" is 0.5 or less (or not a number) the output is 0 and the two
// integrals stand still: their derivatives are 0, so they do not keep
// growing from the last slope they were given.
#pragma once

#include "engine/libraryclass.h"
#include "engine/variables.h"

namespace korvel {

class KLibraryWaveGen final : public KLibraryClass {
public:
    enum class Waveform {
        Sine,
        Square,
        Triangle,
        Sawtooth,
        Pulse,
        BipolarPulse,
        Trapezoid,
        SCurve,
        Dc,
    };

    // The settings read at build time.
    struct Settings {
        Waveform waveform = Waveform::Square;
        double frequency = 10.0;  // Hz
        double amplitude = 1.0;
        double offset = 0.0;
        double phase = 0.0;       // degrees
        double dutyCycle = 50.0;  // percent
        double mult = 1.0;
    };

    KLibraryWaveGen(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }

    // The waveform before "Mult" at cycle fraction p in [0, 1).
    static double Shape(const Settings& settings, double p);
    // 1.0 in the first half of the cycle (p <= 0.5), else 0.0.
    double SyncLevel() const { return sync_; }

private:
    Settings ReadSettings() const;

    Settings settings_;
    const double* enable_;
    double* out_;
    KStateVar first_;
    KStateVar second_;
    double sync_ = 0.0;
};

}  // namespace korvel
