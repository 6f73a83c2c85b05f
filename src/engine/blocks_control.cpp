#include "engine/blocks_control.h"

#include <cmath>

#include "engine/solver.h"

namespace korvel {

namespace {

constexpr double kOmegaFactor = 6.2831852;

double FiniteOrZero(double x) {
    return std::isfinite(x) ? x : 0.0;
}

// The anti-windup rule on the unlimited output y, with saturation s, wind-up
// factor w and integral gain ki. `integratorFor(level)` is the integrator
// value at which the proportional path gives `level`; `reset(value)` holds
// the integrator there.
template <class IntegratorFor, class Reset>
double Limit(double y, double ki, double s, double w, IntegratorFor integratorFor, Reset reset) {
    const double l = s * w;
    if (std::isgreater(ki, 0.0)) {
        if (std::isgreater(y, l)) {
            reset(integratorFor(l));
            y = s;
        } else if (std::isless(y, -l)) {
            reset(integratorFor(-l));
            y = -s;
        }
    } else {
        reset(0.0);
    }
    if (std::isgreater(y, s)) {
        y = s;
    } else if (std::isless(y, -s)) {
        y = -s;
    }
    return y;
}

// The PI law: writes x' and answers the output. The object and the kernel
// both evaluate through it, so they agree to the bit.
template <class Reset>
double PiLaw(double e, double kp, double ki, double s, double w, double x, double& dx,
             Reset reset) {
    dx = ki * e;
    const double y = kp * (e + x);
    return Limit(
        y, ki, s, w, [&](double level) { return level / kp - e; }, reset);
}

// The PID law on x = {x1, x2}: writes both derivatives, answers the output.
template <class Reset>
double PidLaw(double e, double kp, double ki, double kd, double lowPass, double s, double w,
              const double* x, double* dx, Reset reset) {
    dx[0] = ki * e;
    const double derivative = lowPass * kOmegaFactor * (e - x[1]);
    dx[1] = derivative;
    const double y = kp * (x[0] + e + kd * derivative);
    return Limit(
        y, ki, s, w, [&](double level) { return level / kp - e; }, reset);
}

// a = Input, b = KP, c = KI, d = Saturation, e = Wind-up.
void RunPiKernel(const KKernelContext& context, const KKernelRecord* records, std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        auto reset = [&](double value) { context.solver->ResetTo(r.state, value); };
        v[r.out] = PiLaw(v[r.a], v[r.b], v[r.c], v[r.d], v[r.e], context.states[r.state],
                         context.derivatives[r.state], reset);
    }
}

// a = Input, b = KP, c = KI, d = KD, e = Low-Pass Frequency, f = Saturation,
// g = Wind-up; the two states from `state` on.
void RunPidKernel(const KKernelContext& context, const KKernelRecord* records, std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        auto reset = [&](double value) { context.solver->ResetTo(r.state, value); };
        v[r.out] = PidLaw(v[r.a], v[r.b], v[r.c], v[r.d], v[r.e], v[r.f], v[r.g],
                          context.states + r.state, context.derivatives + r.state, reset);
    }
}

}  // namespace

KLibraryPi::KLibraryPi(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      kp_(In("KP")),
      windup_{In("KI"), In("Saturation"), In("Wind-up")},
      out_(Out("Output")),
      x_(benchTop, "Pi", InternalStateDisplay(),
         std::isgreater(*windup_.ki, 0.0) ? FiniteOrZero(NodeValue("Output") / *kp_ - *in_) : 0.0) {
}

void KLibraryPi::Compute(double) {
    *out_ = PiLaw(*in_, *kp_, *windup_.ki, *windup_.saturation, *windup_.windup, x_.Value(),
                  x_.Derivative(), [&](double value) { x_.ResetTo(value); });
}

bool KLibraryPi::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunPiKernel;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldD | kFieldE | kFieldOut | kFieldState;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(kp_);
    kernel.record.c = SlotIndex(windup_.ki);
    kernel.record.d = SlotIndex(windup_.saturation);
    kernel.record.e = SlotIndex(windup_.windup);
    kernel.record.out = SlotIndex(out_);
    kernel.record.state = x_.Index();
    return true;
}

KLibraryPiPlus::KLibraryPiPlus(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      command_(In("Command")),
      feedback_(In("Feedback")),
      kp_(In("KP")),
      kfr_(In("KFR")),
      windup_{In("KI"), In("Saturation"), In("Wind-up")},
      out_(Out("Output")),
      errorMonitor_(Out("Error Monitor")),
      x_(benchTop, "PiPlus", InternalStateDisplay(),
         std::isgreater(*windup_.ki, 0.0)
             ? FiniteOrZero(NodeValue("Output") / *kp_ - *command_ * *kfr_ + *feedback_)
             : 0.0) {}

void KLibraryPiPlus::Compute(double) {
    const double c = *command_;
    const double f = *feedback_;
    const double kp = *kp_;
    const double feedForward = c * *kfr_;
    x_.Derivative() = *windup_.ki * (c - f);
    const double y = kp * (feedForward + x_.Value() - f);
    *errorMonitor_ = c - f;
    *out_ = Limit(
        y, *windup_.ki, *windup_.saturation, *windup_.windup,
        [&](double level) { return f + (level / kp - feedForward); },
        [&](double value) { x_.ResetTo(value); });
}

KLibraryPid::KLibraryPid(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      kp_(In("KP")),
      kd_(In("KD")),
      lowPass_(In("Low-Pass Frequency")),
      windup_{In("KI"), In("Saturation"), In("Wind-up")},
      out_(Out("Output")),
      x1_(benchTop, "Pid1", InternalStateDisplay(),
          std::isgreater(*windup_.ki, 0.0) ? FiniteOrZero(NodeValue("Output") / *kp_ - *in_) : 0.0),
      x2_(benchTop, "Pid2", InternalStateDisplay(), FiniteOrZero(*in_)),
      x_(x1_.ValuePtr()),
      dx_(x1_.DerivativePtr()) {}

void KLibraryPid::Compute(double) {
    *out_ = PidLaw(*in_, *kp_, *windup_.ki, *kd_, *lowPass_, *windup_.saturation, *windup_.windup,
                   x_, dx_, [&](double value) { x1_.ResetTo(value); });
}

bool KLibraryPid::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunPidKernel;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldD | kFieldE | kFieldF | kFieldG |
                    kFieldOut | kFieldState;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(kp_);
    kernel.record.c = SlotIndex(windup_.ki);
    kernel.record.d = SlotIndex(kd_);
    kernel.record.e = SlotIndex(lowPass_);
    kernel.record.f = SlotIndex(windup_.saturation);
    kernel.record.g = SlotIndex(windup_.windup);
    kernel.record.out = SlotIndex(out_);
    kernel.record.state = x1_.Index();
    return true;
}

}  // namespace korvel
