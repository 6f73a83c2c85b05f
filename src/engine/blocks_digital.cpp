#include "engine/blocks_digital.h"

#include <algorithm>
#include <cmath>

#include "model/block.h"

namespace korvel {

namespace {

constexpr int kMissingControllerSum = 32;

// Keeps y within [lower, upper]; unlike std::clamp it is defined for limits
// the wrong way round (a negative saturation) and lets a NaN through.
double Limit(double y, double lower, double upper) {
    return std::min(std::max(y, lower), upper);
}

// The anti-windup shared by the PI, PID and PI+ laws: while y is beyond
// L = Saturation x Wind-up the integral is held at the limit the law gives,
// and y becomes the saturation.
// The integral's limits are `base` + L / KP while y > L and `base` - L / KP
// while y < -L.
double LimitPiOutput(double y, double ki, double kp, double saturation, double windupLimit,
                     double base, double& integral) {
    if (!(ki > 0)) {
        integral = 0.0;
    } else if (y > windupLimit) {
        const double upper = base + windupLimit / kp;
        if (integral > upper) integral = upper;
        y = saturation;
    } else if (y < -windupLimit) {
        const double lower = base + -windupLimit / kp;
        if (integral < lower) integral = lower;
        y = -saturation;
    }
    return Limit(y, -saturation, saturation);
}

// The digital PI/PID law at one sample, shared by the object and its kernel
// so both compute the same operations. memory[0] is the integral and
// memory[1] the previous error (used with a derivative term only).
template <bool kDerivative>
double PidLaw(double e, double t, double kp, double ki, double kd, double saturation,
              double windup, double* memory) {
    double& integral = memory[0];
    integral = integral + ki * e * t;
    double y;
    if constexpr (kDerivative) {
        y = kp * (e + integral + kd * (e - memory[1]) / t);
        memory[1] = e;
    } else {
        y = kp * (e + integral);
    }
    const double windupLimit = saturation * windup;
    return LimitPiOutput(y, ki, kp, saturation, windupLimit, -e, integral);
}

// Records: a input, b KP, c KI, d KD, e Saturation, f Wind-up, out, state
// the memory's offset.
template <bool kDerivative>
void RunPidKernel(const KKernelContext& context, const KKernelRecord* records,
                  std::size_t count) {
    double* v = context.values;
    const double t = context.tSample;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        v[r.out] = PidLaw<kDerivative>(v[r.a], t, v[r.b], v[r.c], kDerivative ? v[r.d] : 0.0,
                                       v[r.e], v[r.f], context.memory + r.state);
    }
}

// Records: a input, state the stored value's offset.
void RunDelayKernel(const KKernelContext& context, const KKernelRecord* records,
                    std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        context.memory[records[i].state] = context.values[records[i].a];
    }
}

}  // namespace

KLibraryDSimpleSISO::KLibraryDSimpleSISO(KBenchTop& benchTop, KBlock& block,
                                         int missingControllerCode)
    : KLibraryDigitalClass(benchTop, block, missingControllerCode), in_(In("Input")) {}

// --- Delay, sample and hold, sum, difference ---------------------------------

KLibraryDDelay::KLibraryDDelay(KBenchTop& benchTop, KBlock& block)
    : KLibraryDigitalClass(benchTop, block), in_(In("Input")), out_(SampledOut("Output")) {
    *stored_ = *out_;
}

void KLibraryDDelay::Compute(double) {
    if (IsSampling()) *stored_ = *in_;
}

void KLibraryDDelay::ZeroStoredOutputs() {
    *stored_ = 0.0;
    *out_ = 0.0;
}

bool KLibraryDDelay::DescribeGatedKernel(KKernel& kernel) {
    kernel.run = &RunDelayKernel;
    kernel.record.a = SlotIndex(in_);
    kernel.memory = &stored_;
    kernel.memorySize = 1;
    return true;
}

KLibraryDSampleHold::KLibraryDSampleHold(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block), out_(Out("Output")) {}

void KLibraryDSampleHold::Compute(double) {
    if (IsSampling()) *out_ = *in_;
}

KLibraryDSum::KLibraryDSum(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block, kMissingControllerSum), out_(Out("Output")) {
    *out_ = NodeValue("Initial Value");
}

void KLibraryDSum::Compute(double) {
    if (IsSampling()) *out_ = *out_ + TSample() * *in_;
}

KLibraryDDiff::KLibraryDDiff(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block), out_(Out("Output")) {}

void KLibraryDDiff::Compute(double) {
    if (!IsSampling()) return;
    const double input = *in_;
    *out_ = (input - previous_) / TSample();
    previous_ = input;
}

void KLibraryDDiff::ZeroStoredOutputs() {
    previous_ = 0.0;
    *out_ = 0.0;
}

KLibraryDInvTrap::KLibraryDInvTrap(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block), a_(In("a")), out_(Out("Output")) {}

void KLibraryDInvTrap::Compute(double) {
    if (!IsSampling()) return;
    const double a = Limit(*a_, 0.0, 1.0);
    const double input = *in_;
    *out_ = (input - previous_) * (1 + a) / TSample() - a * *out_;
    previous_ = input;
}

void KLibraryDInvTrap::ZeroStoredOutputs() {
    previous_ = 0.0;
    *out_ = 0.0;
}

// --- Calculation delay --------------------------------------------------------

KLibraryDTCalc::KLibraryDTCalc(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block), delay_(In("Delay")), out_(Out("Output")) {
    held_ = *out_;
}

void KLibraryDTCalc::Compute(double time) {
    if (IsSampling()) {
        *out_ = held_;
        held_ = *in_;
        release_ = time + TSample() * 0.01 * Limit(*delay_, 0.0, 200.0);
        pending_ = true;
    }
    // Once released the output already shows the held value; it changes
    // again only at the next sample.
    if (pending_ && time >= release_) {
        *out_ = held_;
        pending_ = false;
    }
}

void KLibraryDTCalc::ZeroStoredOutputs() {
    held_ = 0.0;
    pending_ = false;
    *out_ = 0.0;
}

// --- Random and dither -----------------------------------------------------------

KLibraryDRandom::KLibraryDRandom(KBenchTop& benchTop, KBlock& block)
    : KLibraryDigitalClass(benchTop, block),
      out_(Out("Output")),
      amplitude_(In("Amplitude")),
      offset_(In("Offset")) {}

void KLibraryDRandom::Compute(double) {
    if (!IsSampling()) return;
    constexpr std::int32_t kMultiplier = 7141;
    constexpr std::int32_t kIncrement = 54743;
    constexpr std::int32_t kModulus = 259200;
    seed_ = (kMultiplier * seed_ + kIncrement) % kModulus;
    *out_ = *amplitude_ * (seed_ / static_cast<double>(kModulus) - 0.5) + *offset_;
}

KLibraryDDither::KLibraryDDither(KBenchTop& benchTop, KBlock& block)
    : KLibraryDigitalClass(benchTop, block),
      out_(Out("Output")),
      amplitude_(In("Amplitude")),
      cycles_(In("Cycles")) {}

void KLibraryDDither::Compute(double) {
    if (!IsSampling()) return;
    ++count_;
    // A count that is not a number flips at every sample, like Cycles <= 1.
    const double cycles = std::trunc(*cycles_ + 0.5);
    if (!(count_ < cycles)) {
        positive_ = !positive_;
        count_ = 0;
    }
    *out_ = positive_ ? *amplitude_ : -*amplitude_;
}

// --- Control laws -----------------------------------------------------------------

KLibraryDPid::KLibraryDPid(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block),
      out_(Out("Output")),
      kp_(In("KP")),
      ki_(In("KI")),
      kd_(block.FindNode("KD") != nullptr ? In("KD") : nullptr),
      saturation_(In("Saturation")),
      windup_(In("Wind-up")) {}

void KLibraryDPid::Compute(double) {
    if (!IsSampling()) return;
    if (kd_ != nullptr) {
        *out_ = PidLaw<true>(*in_, TSample(), *kp_, *ki_, *kd_, *saturation_, *windup_, memory_);
    } else {
        *out_ = PidLaw<false>(*in_, TSample(), *kp_, *ki_, 0.0, *saturation_, *windup_, memory_);
    }
}

void KLibraryDPid::ZeroStoredOutputs() {
    memory_[0] = 0.0;
    memory_[1] = 0.0;
    *out_ = 0.0;
}

bool KLibraryDPid::DescribeGatedKernel(KKernel& kernel) {
    kernel.run = kd_ != nullptr ? &RunPidKernel<true> : &RunPidKernel<false>;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(kp_);
    kernel.record.c = SlotIndex(ki_);
    kernel.record.d = kd_ != nullptr ? SlotIndex(kd_) : 0;
    kernel.record.e = SlotIndex(saturation_);
    kernel.record.f = SlotIndex(windup_);
    kernel.record.out = SlotIndex(out_);
    kernel.memory = &memory_;
    kernel.memorySize = static_cast<std::uint32_t>(ownMemory_.size());
    return true;
}

KLibraryDPid2::KLibraryDPid2(KBenchTop& benchTop, KBlock& block)
    : KLibraryDSimpleSISO(benchTop, block),
      out_(Out("Output")),
      kp_(In("KP")),
      ki_(In("KI")),
      kd_(In("KD")),
      saturation_(In("Saturation")),
      integralSaturation_(In("Integral Saturation")),
      zeroIntegrator_(In("Zero Integrator")),
      clegg_(In("Clegg Integrator")) {}

void KLibraryDPid2::Compute(double) {
    if (!IsSampling()) return;
    const double e = *in_;
    const double t = TSample();
    if (*zeroIntegrator_ > 0.5) {
        integral_ = 0.0;
    } else {
        integral_ = integral_ + *ki_ * e * t;
        const double limit = *integralSaturation_;
        integral_ = *ki_ > 0 ? Limit(integral_, -limit, limit) : 0.0;
    }
    const double y = *kp_ * e + integral_ + *kd_ * (e - previousError_) / t;
    const double saturation = *saturation_;
    *out_ = Limit(y, -saturation, saturation);
    if (*clegg_ > 0.5 && ((previousError_ <= 0) != (e <= 0))) integral_ = 0.0;
    previousError_ = e;
}

void KLibraryDPid2::ZeroStoredOutputs() {
    integral_ = 0.0;
    previousError_ = 0.0;
    *out_ = 0.0;
}

KLibraryDPiPlus::KLibraryDPiPlus(KBenchTop& benchTop, KBlock& block)
    : KLibraryDigitalClass(benchTop, block),
      command_(In("Command")),
      feedback_(In("Feedback")),
      out_(Out("Output")),
      errorMonitor_(Out("Error Monitor")),
      kp_(In("KP")),
      ki_(In("KI")),
      kfr_(In("KFR")),
      saturation_(In("Saturation")),
      windup_(In("Wind-up")) {}

void KLibraryDPiPlus::Compute(double) {
    if (!IsSampling()) return;
    const double c = *command_;
    const double f = *feedback_;
    const double t = TSample();
    const double kp = *kp_;
    const double ki = *ki_;
    const double kfr = *kfr_;
    if (ki == 0 || std::isnan(ki)) filteredCommand_ = 0.0;
    const double k = std::exp(-ki * t);
    filteredCommand_ = c * (1 - k) + k * filteredCommand_;
    const double e = kfr * c + (1 - kfr) * filteredCommand_ - f;
    *errorMonitor_ = e;
    integral_ = integral_ + ki * e * t;
    const double y = kp * (integral_ + e);
    const double saturation = *saturation_;
    const double windupLimit = saturation * *windup_;
    *out_ = LimitPiOutput(y, ki, kp, saturation, windupLimit, f - c * kfr, integral_);
}

void KLibraryDPiPlus::ZeroStoredOutputs() {
    integral_ = 0.0;
    filteredCommand_ = 0.0;
    *out_ = 0.0;
    *errorMonitor_ = 0.0;
}

}  // namespace korvel
