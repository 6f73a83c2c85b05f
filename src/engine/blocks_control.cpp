#include "engine/blocks_control.h"

#include <cmath>

namespace korvel {

namespace {

constexpr double kOmegaFactor = 6.2831852;

double FiniteOrZero(double x) {
    return std::isfinite(x) ? x : 0.0;
}

// The anti-windup rule on the unlimited output y. `integratorFor(level)` is
// the integrator value at which the proportional path gives `level`.
template <class IntegratorFor>
double Limit(double y, const KWindupNodes& nodes, KStateVar& integrator,
             IntegratorFor integratorFor) {
    const double s = *nodes.saturation;
    const double l = s * *nodes.windup;
    if (std::isgreater(*nodes.ki, 0.0)) {
        if (std::isgreater(y, l)) {
            integrator.ResetTo(integratorFor(l));
            y = s;
        } else if (std::isless(y, -l)) {
            integrator.ResetTo(integratorFor(-l));
            y = -s;
        }
    } else {
        integrator.ResetTo(0.0);
    }
    if (std::isgreater(y, s)) {
        y = s;
    } else if (std::isless(y, -s)) {
        y = -s;
    }
    return y;
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
    const double e = *in_;
    const double kp = *kp_;
    x_.Derivative() = *windup_.ki * e;
    const double y = kp * (e + x_.Value());
    *out_ = Limit(y, windup_, x_, [&](double level) { return level / kp - e; });
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
    *out_ = Limit(y, windup_, x_, [&](double level) { return f + (level / kp - feedForward); });
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
      x2_(benchTop, "Pid2", InternalStateDisplay(), FiniteOrZero(*in_)) {}

void KLibraryPid::Compute(double) {
    const double e = *in_;
    const double kp = *kp_;
    x1_.Derivative() = *windup_.ki * e;
    const double derivative = *lowPass_ * kOmegaFactor * (e - x2_.Value());
    x2_.Derivative() = derivative;
    const double y = kp * (x1_.Value() + e + *kd_ * derivative);
    *out_ = Limit(y, windup_, x1_, [&](double level) { return level / kp - e; });
}

}  // namespace korvel
