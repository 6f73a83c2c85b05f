#include "engine/blocks_logic.h"

namespace korvel {

KLibraryLogicTimedBuffer::KLibraryLogicTimedBuffer(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      delay_(In("Delay Time")),
      out_(Out("Output")) {}

void KLibraryLogicTimedBuffer::Compute(double time) {
    if (time == 0.0) {
        state_ = IsTrue(*in_);
        *out_ = LogicValue(state_);
        deadline_ = kNever;
    }
    if (IsTrue(*in_) != state_) {
        state_ = IsTrue(*in_);
        deadline_ = time + *delay_;
    }
    if (time > deadline_) {
        *out_ = LogicValue(state_);
        deadline_ = kNever;
    }
}

}  // namespace korvel
