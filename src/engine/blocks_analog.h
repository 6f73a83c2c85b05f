// Integrators and the one-pole low-pass filter: blocks whose output is a state
// the solver integrates.
//
// Each owns hidden state variables and writes their derivatives in Compute.
// An output that simply equals a state is a state output (see
// KLibraryClass::StateOut), kept up to date before every evaluation.
#pragma once

#include "engine/libraryclass.h"
#include "engine/variables.h"

namespace korvel {

// x' = Gain x Input; Output = x; "Reset" > 0.5 holds x at "Reset Value".
// The output starts at "Initial Value".
class KLibraryInt final : public KLibraryClass {
public:
    KLibraryInt(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* in_;
    const double* gain_;
    const double* resetValue_;
    const double* reset_;
    KStateVar state_;
    double* out_;
};

// An integrator whose output stays within [Minimum, Maximum]: beyond a limit
// the state is held at the limit, so integrating back leaves it at once.
// Limits are not put in order; with Minimum above Maximum the output follows
// the formula and alternates.
class KLibraryClampedInt final : public KLibraryClass {
public:
    KLibraryClampedInt(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void RefreshStateOutputs() override;

private:
    // The output for the current state, and the limit to hold it at (or none).
    double Clamped(bool& atLimit) const;

    const double* in_;
    const double* gain_;
    const double* minimum_;
    const double* maximum_;
    KStateVar state_;
    double* out_;
};

// Y/U = 1 / (s/w + 1), w = 2 pi "Frequency" (Hz), recomputed when the
// frequency changes. Zeroing stored outputs clears the state and output.
class KLibraryLpf1 final : public KLibraryClass {
public:
    KLibraryLpf1(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;

private:
    void UpdateFrequency();

    const double* in_;
    const double* frequency_;
    KStateVar state_;
    double* out_;
    double f_ = 0.0;
    double omega_ = 0.0;
};

}  // namespace korvel
