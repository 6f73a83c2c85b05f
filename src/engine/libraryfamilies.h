// Run-time classes shared by block families that differ only in their
// operation: one, two or three inputs, one "Output", no memory.
//
// An operation is a small struct: the names of the input nodes, Apply (the
// block's arithmetic, exactly as the block defines it), whether Apply can
// throw a KRunError, and an optional output preset written when the model is
// built. An operation that cannot fail also runs as a kernel: the same Apply
// over compact records, so batched and plain evaluation agree to the bit.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/kernel.h"
#include "engine/libraryclass.h"

namespace korvel {

// Defaults an operation inherits.
struct KOpDefaults {
    static constexpr bool kCanFail = false;
    static constexpr bool kPresets = false;
    static constexpr double kPresetValue = 0.0;
    static constexpr std::string_view kOutput = "Output";
};

template <class Op>
void RunUnaryKernel(const KKernelContext& context, const KKernelRecord* records,
                    std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        v[r.out] = Op::Apply(v[r.a]);
    }
}

template <class Op>
void RunBinaryKernel(const KKernelContext& context, const KKernelRecord* records,
                     std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        v[r.out] = Op::Apply(v[r.a], v[r.b]);
    }
}

template <class Op>
void RunTernaryKernel(const KKernelContext& context, const KKernelRecord* records,
                      std::size_t count) {
    double* v = context.values;
    for (std::size_t i = 0; i < count; ++i) {
        const KKernelRecord& r = records[i];
        v[r.out] = Op::Apply(v[r.a], v[r.b], v[r.c]);
    }
}

template <class Op>
void RunUnaryDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    double* __restrict out = context.values + first->out;
    const double* in = context.values + first->a;
    for (std::size_t i = 0; i < count; ++i) out[i] = Op::Apply(in[i]);
}

template <class Op>
void RunBinaryDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    double* __restrict out = context.values + first->out;
    const double* a = context.values + first->a;
    const double* b = context.values + first->b;
    for (std::size_t i = 0; i < count; ++i) out[i] = Op::Apply(a[i], b[i]);
}

template <class Op>
void RunTernaryDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    double* __restrict out = context.values + first->out;
    const double* a = context.values + first->a;
    const double* b = context.values + first->b;
    const double* c = context.values + first->c;
    for (std::size_t i = 0; i < count; ++i) out[i] = Op::Apply(a[i], b[i], c[i]);
}

// The single-input functions (sqrt, 1/x, waves, logic not, ...).
template <class Op>
class KLibraryUnary final : public KLibraryClass {
public:
    KLibraryUnary(KBenchTop& benchTop, KBlock& block)
        : KLibraryClass(benchTop, block), in_(In(Op::kInput)), out_(Out(Op::kOutput)) {
        if constexpr (Op::kPresets) *out_ = Op::kPresetValue;
    }
    void Compute(double) override { *out_ = Op::Apply(*in_); }
    bool DescribeKernel(KKernel& kernel) const override {
        if constexpr (Op::kCanFail) {
            return false;
        }
        kernel.run = &RunUnaryKernel<Op>;
        kernel.runDense = &RunUnaryDense<Op>;
        kernel.fields = kFieldA | kFieldOut;
        kernel.record.a = SlotIndex(in_);
        kernel.record.out = SlotIndex(out_);
        return true;
    }

private:
    const double* in_;
    double* out_;
};

template <class Op>
class KLibraryBinary final : public KLibraryClass {
public:
    KLibraryBinary(KBenchTop& benchTop, KBlock& block)
        : KLibraryClass(benchTop, block), a_(In(Op::kA)), b_(In(Op::kB)), out_(Out(Op::kOutput)) {
        if constexpr (Op::kPresets) *out_ = Op::kPresetValue;
    }
    void Compute(double) override { *out_ = Op::Apply(*a_, *b_); }
    bool DescribeKernel(KKernel& kernel) const override {
        if constexpr (Op::kCanFail) {
            return false;
        }
        kernel.run = &RunBinaryKernel<Op>;
        kernel.runDense = &RunBinaryDense<Op>;
        kernel.fields = kFieldA | kFieldB | kFieldOut;
        kernel.record.a = SlotIndex(a_);
        kernel.record.b = SlotIndex(b_);
        kernel.record.out = SlotIndex(out_);
        return true;
    }

private:
    const double* a_;
    const double* b_;
    double* out_;
};

template <class Op>
class KLibraryTernary final : public KLibraryClass {
public:
    KLibraryTernary(KBenchTop& benchTop, KBlock& block)
        : KLibraryClass(benchTop, block),
          a_(In(Op::kA)),
          b_(In(Op::kB)),
          c_(In(Op::kC)),
          out_(Out(Op::kOutput)) {
        if constexpr (Op::kPresets) *out_ = Op::kPresetValue;
    }
    void Compute(double) override { *out_ = Op::Apply(*a_, *b_, *c_); }
    bool DescribeKernel(KKernel& kernel) const override {
        if constexpr (Op::kCanFail) {
            return false;
        }
        kernel.run = &RunTernaryKernel<Op>;
        kernel.runDense = &RunTernaryDense<Op>;
        kernel.fields = kFieldA | kFieldB | kFieldC | kFieldOut;
        kernel.record.a = SlotIndex(a_);
        kernel.record.b = SlotIndex(b_);
        kernel.record.c = SlotIndex(c_);
        kernel.record.out = SlotIndex(out_);
        return true;
    }

private:
    const double* a_;
    const double* b_;
    const double* c_;
    double* out_;
};

}  // namespace korvel
