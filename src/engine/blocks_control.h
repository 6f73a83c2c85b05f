// The analog control laws: PI, PI+ and PID with anti-windup.
//
// The PI and the PID also run as kernels (the integrator resets go to the
// solver by state index); the PI+ writes two outputs and stays an object.
//
// Every law computes its unlimited output y, then, with S = "Saturation" and
// L = S x "Wind-up":
// - when KI > 0 and y > L, the integrator is reset so that the law gives
//   exactly L and y = S (likewise -L and -S below -L); when KI is 0 or less
//   (or not a number) the integrator is held at 0;
// - y is limited to [-S, S] and written to "Output".
//
// Stored outputs: the integrator starts where the law reproduces its stored
// output y0 with the input it sees when the model is built: x = y0/KP - e
// for the PI and the PID, x = y0/KP - c KFR + f for the PI+. The PID's
// derivative filter starts at the error, so the derivative term starts at 0
// and gives no kick. With KI 0 or less, or a start that is not a finite
// number (KP = 0), the integrator starts at 0.
#pragma once

#include "engine/kernel.h"
#include "engine/libraryclass.h"
#include "engine/variables.h"

namespace korvel {

// "Saturation", "Wind-up" and "KI", shared by the three laws.
struct KWindupNodes {
    const double* ki;
    const double* saturation;
    const double* windup;
};

// y = KP (e + x), x' = KI e.
class KLibraryPi final : public KLibraryClass {
public:
    KLibraryPi(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* in_;
    const double* kp_;
    KWindupNodes windup_;
    double* out_;
    KStateVar x_;
};

// y = KP (c KFR + x - f), x' = KI (c - f); "Error Monitor" = c - f.
class KLibraryPiPlus final : public KLibraryClass {
public:
    KLibraryPiPlus(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }

private:
    const double* command_;
    const double* feedback_;
    const double* kp_;
    const double* kfr_;
    KWindupNodes windup_;
    double* out_;
    double* errorMonitor_;
    KStateVar x_;
};

// y = KP (x1 + e + KD x2'), x1' = KI e, x2' = wLP (e - x2): the derivative
// of the error through a first-order low-pass at "Low-Pass Frequency" (Hz).
// The integrator reset ignores the derivative term.
class KLibraryPid final : public KLibraryClass {
public:
    KLibraryPid(KBenchTop& benchTop, KBlock& block);
    void Compute(double time) override;
    bool HasSideEffects() const override { return false; }
    bool DescribeKernel(KKernel& kernel) const override;

private:
    const double* in_;
    const double* kp_;
    const double* kd_;
    const double* lowPass_;
    KWindupNodes windup_;
    double* out_;
    KStateVar x1_;
    KStateVar x2_;
    // Both states and derivatives, consecutive in the solver's arrays.
    const double* x_;
    double* dx_;
};

}  // namespace korvel
