#include "engine/blocks_nonlinear.h"

#include <cmath>

#include "engine/logiclevel.h"

namespace korvel {

namespace {

// The switch's two outputs for a control value, written through the pointers.
inline void Route(double control, double in0, double in1, double& out0, double& out1) {
    if (IsTrue(control)) {
        out0 = in0;
        out1 = in1;
    } else {
        out0 = in1;
        out1 = in0;
    }
}

// a = Control, b = Input0, c = Input1, out = Output0, d = Output1.
void RunSwitchKernel(const KKernelContext& context, const KKernelRecord* records,
                     std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        Route(v[r.a], v[r.b], v[r.c], v[r.out], v[r.d]);
    }
}

void RunSwitchDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    const double* control = context.values + first->a;
    const double* in0 = context.values + first->b;
    const double* in1 = context.values + first->c;
    double* __restrict out0 = context.values + first->out;
    double* __restrict out1 = context.values + first->d;
    for (std::size_t i = 0; i < count; ++i) {
        const bool straight = IsTrue(control[i]);
        out0[i] = straight ? in0[i] : in1[i];
        out1[i] = straight ? in1[i] : in0[i];
    }
}

// The four-position switch's input for a control value.
inline int Position(double control) {
    if (std::isgreater(control, 2.5)) return 3;
    if (std::isgreater(control, 1.5)) return 2;
    if (IsTrue(control)) return 1;
    return 0;  // also not a number
}

// a = Control, b .. e = Input0 .. Input3.
void RunSwitch4Kernel(const KKernelContext& context, const KKernelRecord* records,
                      std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        const std::uint32_t inputs[4] = {r.b, r.c, r.d, r.e};
        v[r.out] = v[inputs[Position(v[r.a])]];
    }
}

inline double NextLevel(double level, double input, double low, double high) {
    if (!IsTrue(level)) return std::isgreater(input, high) ? 1.0 : level;
    return std::isless(input, low) ? 0.0 : level;
}

// a = Input, b = Low Limit, c = High Limit; the level lives in the output slot.
void RunHysterKernel(const KKernelContext& context, const KKernelRecord* records,
                     std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        v[r.out] = NextLevel(v[r.out], v[r.a], v[r.b], v[r.c]);
    }
}

void RunHysterDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    const double* in = context.values + first->a;
    const double* low = context.values + first->b;
    const double* high = context.values + first->c;
    double* level = context.values + first->out;
    for (std::size_t i = 0; i < count; ++i) level[i] = NextLevel(level[i], in[i], low[i], high[i]);
}

}  // namespace

KLibrarySwitch::KLibrarySwitch(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      control_(In("Control")),
      in0_(In("Input0")),
      in1_(In("Input1")),
      out0_(Out("Output0")),
      out1_(Out("Output1")) {}

void KLibrarySwitch::Compute(double) {
    Route(*control_, *in0_, *in1_, *out0_, *out1_);
}

bool KLibrarySwitch::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunSwitchKernel;
    kernel.runDense = &RunSwitchDense;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldD | kFieldOut;
    kernel.record.a = SlotIndex(control_);
    kernel.record.b = SlotIndex(in0_);
    kernel.record.c = SlotIndex(in1_);
    kernel.record.out = SlotIndex(out0_);
    kernel.record.d = SlotIndex(out1_);
    return true;
}

KLibrarySwitch4::KLibrarySwitch4(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      control_(In("Control")),
      in_{In("Input0"), In("Input1"), In("Input2"), In("Input3")},
      out_(Out("Output")) {}

void KLibrarySwitch4::Compute(double) {
    *out_ = *in_[Position(*control_)];
}

bool KLibrarySwitch4::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunSwitch4Kernel;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldD | kFieldE | kFieldOut;
    kernel.record.a = SlotIndex(control_);
    kernel.record.b = SlotIndex(in_[0]);
    kernel.record.c = SlotIndex(in_[1]);
    kernel.record.d = SlotIndex(in_[2]);
    kernel.record.e = SlotIndex(in_[3]);
    kernel.record.out = SlotIndex(out_);
    return true;
}

KLibraryHyster::KLibraryHyster(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      low_(In("Low Limit")),
      high_(In("High Limit")),
      out_(Out("Output")) {
    *out_ = LogicValue(IsTrue(NodeValue("Initial State")));
}

void KLibraryHyster::Compute(double) {
    *out_ = NextLevel(*out_, *in_, *low_, *high_);
}

bool KLibraryHyster::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunHysterKernel;
    kernel.runDense = &RunHysterDense;
    kernel.fields = kFieldA | kFieldB | kFieldC | kFieldOut;
    kernel.record.a = SlotIndex(in_);
    kernel.record.b = SlotIndex(low_);
    kernel.record.c = SlotIndex(high_);
    kernel.record.out = SlotIndex(out_);
    return true;
}

KLibraryRampLimit::KLibraryRampLimit(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output")),
      in_(In("Input")),
      positiveRate_(In("Positive Rate")),
      negativeRate_(In("Negative Rate")) {}

void KLibraryRampLimit::Compute(double time) {
    if (time == lastTime_) return;
    const double elapsed = time - lastTime_;
    const double u = *in_;
    double y = *out_;
    if (std::isgreater(y, u)) {
        y -= std::fabs(*negativeRate_) * elapsed;
        if (std::isless(y, u)) y = u;
    } else if (std::isless(y, u)) {
        y += std::fabs(*positiveRate_) * elapsed;
        if (std::isgreater(y, u)) y = u;
    }
    lastTime_ = time;
    *out_ = y;
}

}  // namespace korvel
