// Digital blocks that are not filters: delays, sums and differences, the
// calculation delay, random numbers and dither, and the digital control laws.
//
// All act at their controller's samples only (see digitalblock.h) and hold
// their outputs between samples, except the calculation delay, which
// releases its held value once its delay has passed. T below is the
// controller's TSample.
#pragma once

#include <array>
#include <cstdint>

#include "engine/digitalblock.h"

namespace korvel {

// One input, one output: the shape most digital blocks share.
class KLibraryDSimpleSISO : public KLibraryDigitalClass {
protected:
    KLibraryDSimpleSISO(KBenchTop& benchTop, KBlock& block, int missingControllerCode = 31);
    const double* in_;
};

// A one-sample delay: at a sample the output takes the value stored at the
// previous sample (published before the evaluation), then stores the input.
class KLibraryDDelay final : public KLibraryDigitalClass {
public:
    KLibraryDDelay(KBenchTop& benchTop, KBlock& block);
    void SampleOutput() override { *out_ = *stored_; }
    void Compute(double time) override;
    void ZeroStoredOutputs() override;
    bool DescribeGatedKernel(KKernel& kernel) override;

private:
    const double* in_;
    double* out_;
    double ownStored_ = 0.0;
    double* stored_ = &ownStored_;
};

// Output = Input at each sample.
class KLibraryDSampleHold final : public KLibraryDSimpleSISO {
public:
    KLibraryDSampleHold(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override { *out_ = 0.0; }

private:
    double* out_;
};

// "Sum/TSample": Output += T x Input, starting from "Initial Value".
class KLibraryDSum final : public KLibraryDSimpleSISO {
public:
    KLibraryDSum(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override { *out_ = 0.0; }

private:
    double* out_;
};

// "Difference": Output = (Input - previous Input) / T.
class KLibraryDDiff final : public KLibraryDSimpleSISO {
public:
    KLibraryDDiff(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;

private:
    double* out_;
    double previous_ = 0.0;
};

// Output = (Input - previous) (1 + a) / T - a Output, a clamped to [0, 1].
class KLibraryDInvTrap final : public KLibraryDSimpleSISO {
public:
    KLibraryDInvTrap(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;

private:
    const double* a_;
    double* out_;
    double previous_ = 0.0;
};

// "Calculation Delay": at a sample the output shows the value held since the
// previous sample and the input is held; the held value is released
// "Delay" percent of T later (Delay clamped to [0, 200]), checked at every
// evaluation. Delay 0 passes the sampled input at once; 100 is one sample.
class KLibraryDTCalc final : public KLibraryDSimpleSISO {
public:
    KLibraryDTCalc(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    // The release is checked at every evaluation.
    KGate Gate() const override { return {}; }
    void ZeroStoredOutputs() override;

private:
    const double* delay_;
    double* out_;
    double held_ = 0.0;
    double release_ = 0.0;
    bool pending_ = false;
};

// The random sequence of the analog random block, one number per sample:
// Output = Amplitude (seed / 259200 - 0.5) + Offset.
class KLibraryDRandom final : public KLibraryDigitalClass {
public:
    KLibraryDRandom(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* out_;
    const double* amplitude_;
    const double* offset_;
    std::int32_t seed_ = 0;
};

// +Amplitude or -Amplitude, the sign flipping every round(Cycles) samples
// (Cycles + 0.5 truncated); it starts positive.
class KLibraryDDither final : public KLibraryDigitalClass {
public:
    KLibraryDDither(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;

private:
    double* out_;
    const double* amplitude_;
    const double* cycles_;
    int count_ = 0;
    bool positive_ = true;
};

// Digital PI and PID in series form, y = KP (e + I + KD de/T), with the
// integral I += KI e T and anti-windup: while |y| exceeds Saturation x
// Wind-up the integral is pulled back to the value that puts y there, and
// the output is limited to +-Saturation. KI <= 0 keeps I at 0.
class KLibraryDPid final : public KLibraryDSimpleSISO {
public:
    KLibraryDPid(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;
    bool DescribeGatedKernel(KKernel& kernel) override;

private:
    double* out_;
    const double* kp_;
    const double* ki_;
    const double* kd_;  // nullptr for "KDPi"
    const double* saturation_;
    const double* windup_;
    // The integral and the previous error, here until a plan takes them.
    std::array<double, 2> ownMemory_{};
    double* memory_ = ownMemory_.data();
};

// The parallel-form PID, y = KP e + I + KD de/T, with an integral limit, an
// integrator reset input and an optional Clegg integrator (the integral
// resets when the error changes sign).
class KLibraryDPid2 final : public KLibraryDSimpleSISO {
public:
    KLibraryDPid2(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;

private:
    double* out_;
    const double* kp_;
    const double* ki_;
    const double* kd_;
    const double* saturation_;
    const double* integralSaturation_;
    const double* zeroIntegrator_;
    const double* clegg_;
    double integral_ = 0.0;
    double previousError_ = 0.0;
};

// PI+ : a PI whose command is partly fed forward through a first-order lag
// with time constant 1/KI (KFR is the share taken directly).
class KLibraryDPiPlus final : public KLibraryDigitalClass {
public:
    KLibraryDPiPlus(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    void ZeroStoredOutputs() override;

private:
    const double* command_;
    const double* feedback_;
    double* out_;
    double* errorMonitor_;
    const double* kp_;
    const double* ki_;
    const double* kfr_;
    const double* saturation_;
    const double* windup_;
    double integral_ = 0.0;
    double filteredCommand_ = 0.0;
};

}  // namespace korvel
