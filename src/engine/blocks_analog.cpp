#include "engine/blocks_analog.h"

#include <cmath>

#include "engine/logiclevel.h"
#include "engine/solver.h"

namespace korvel {

namespace {

// The integrator as a kernel: a = Input, b = Gain, c = Reset Value, d = Reset.
void RunIntegratorKernel(const KKernelContext& context, const KKernelRecord* records,
                         std::size_t count) {
    const double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        context.derivatives[r.state] = v[r.b] * v[r.a];
        if (IsTrue(v[r.d])) context.solver->ResetTo(r.state, v[r.c]);
    }
}

// The same over consecutive slots and states: derivatives first, then the
// resets, which do not depend on them. Resets are rare, so a branch-free
// count (which vectorises like the derivatives) decides whether to look for them.
void RunIntegratorDense(const KKernelContext& context, const KKernelRecord* first,
                        std::size_t count) {
    const double* in = context.values + first->a;
    const double* gain = context.values + first->b;
    const double* resetValue = context.values + first->c;
    const double* reset = context.values + first->d;
    double* __restrict derivative = context.derivatives + first->state;
    for (std::size_t i = 0; i < count; ++i) derivative[i] = gain[i] * in[i];
    int resets = 0;
    for (std::size_t i = 0; i < count; ++i) resets += IsTrue(reset[i]) ? 1 : 0;
    if (resets == 0) return;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsTrue(reset[i])) {
            context.solver->ResetTo(first->state + static_cast<int>(i), resetValue[i]);
        }
    }
}

constexpr double kTwoPi = 2 * 3.1415926;

}  // namespace

KLibraryInt::KLibraryInt(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      gain_(In("Gain")),
      resetValue_(In("Reset Value")),
      reset_(In("Reset")),
      state_(benchTop, "Int", InternalStateDisplay(), NodeValue("Initial Value")),
      out_(StateOut("Output", state_)) {}

void KLibraryInt::Compute(double) {
    state_.Derivative() = *gain_ * *in_;
    if (IsTrue(*reset_)) state_.ResetTo(*resetValue_);
}

bool KLibraryInt::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunIntegratorKernel;
    kernel.runDense = &RunIntegratorDense;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldD | kFieldState;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(gain_);
    kernel.record.c = SlotIndex(resetValue_);
    kernel.record.d = SlotIndex(reset_);
    kernel.record.out = SlotIndex(out_);
    kernel.record.state = state_.Index();
    return true;
}

KLibraryClampedInt::KLibraryClampedInt(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      gain_(In("Gain")),
      minimum_(In("Minimum")),
      maximum_(In("Maximum")),
      state_(benchTop, "ClampedInt", InternalStateDisplay(), NodeValue("Initial Value")),
      out_(Out("Output")) {
    *out_ = state_.Value();
    RefreshBeforeEachEvaluation();
}

double KLibraryClampedInt::Clamped(bool& atLimit) const {
    const double x = state_.Value();
    const double minimum = *minimum_;
    const double maximum = *maximum_;
    atLimit = !(std::islessequal(minimum, x) && std::islessequal(x, maximum));
    if (!atLimit) return x;
    return (std::islessequal(minimum, x) && std::isgreater(x, maximum)) ? maximum : minimum;
}

void KLibraryClampedInt::Compute(double) {
    state_.Derivative() = *gain_ * *in_;
    bool atLimit = false;
    const double y = Clamped(atLimit);
    if (atLimit) state_.ResetTo(y);
    *out_ = y;
}

void KLibraryClampedInt::RefreshStateOutputs() {
    bool atLimit = false;
    *out_ = Clamped(atLimit);
}

KLibraryLpf1::KLibraryLpf1(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      frequency_(In("Frequency")),
      state_(benchTop, "LowPass1", InternalStateDisplay(), NodeValue("Output")),
      out_(StateOut("Output", state_)) {
    UpdateFrequency();
}

void KLibraryLpf1::UpdateFrequency() {
    f_ = *frequency_;
    omega_ = f_ * kTwoPi;
}

void KLibraryLpf1::Compute(double) {
    if (*frequency_ != f_) UpdateFrequency();
    state_.Derivative() = (*in_ - state_.Value()) * omega_;
}

void KLibraryLpf1::ZeroStoredOutputs() {
    state_.SetValue(0.0);
    state_.Derivative() = 0.0;
    *out_ = 0.0;
}

}  // namespace korvel
