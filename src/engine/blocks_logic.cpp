#include "engine/blocks_logic.h"

#include <cmath>

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
    if (std::isgreater(time, deadline_)) {  // a "Delay Time" that is not a number never ends
        *out_ = LogicValue(state_);
        deadline_ = kNever;
    }
}

}  // namespace korvel
