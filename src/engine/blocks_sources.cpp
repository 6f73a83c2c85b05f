#include "engine/blocks_sources.h"

namespace korvel {

namespace {

void RunTimeKernel(const KKernelContext& context, const KKernelRecord* records, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) context.values[records[i].out] = context.time;
}

void RunTimeDense(const KKernelContext& context, const KKernelRecord* first, std::size_t count) {
    double* out = context.values + first->out;
    for (std::size_t i = 0; i < count; ++i) out[i] = context.time;
}

}  // namespace

KLibraryTime::KLibraryTime(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), out_(Out("Time")) {}

bool KLibraryTime::DescribeKernel(KKernel& kernel) const {
    kernel.run = &RunTimeKernel;
    kernel.runDense = &RunTimeDense;
    kernel.fields = kFieldOut;
    kernel.record.out = SlotIndex(out_);
    return true;
}

KLibraryRandom::KLibraryRandom(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      out_(Out("Output")),
      amplitude_(In("Amplitude")),
      offset_(In("Offset")) {}

void KLibraryRandom::Compute(double time) {
    if (!(time > lastTime_)) return;
    seed_ = (kMultiplier * seed_ + kIncrement) % kModulus;
    *out_ = *amplitude_ * (seed_ / static_cast<double>(kModulus) - 0.5) + *offset_;
    lastTime_ = time;
}

}  // namespace korvel
