// KEvaluationPlan: the order in which one evaluation of the model runs.
//
// The compile order is mostly depth-first (subtract, gain, integrator,
// subtract, ...), so calling one object after another jumps between kinds of
// block at every call. The plan instead gives each compute-list object a
// level by data flow over the value arena: an object comes after the writers
// of the slots it reads, and after the earlier readers of the slots it writes
// (they must still see the old value). Slots that always equal a state are
// written before the evaluation starts, so they order nothing. Objects that
// describe themselves as kernels are then run per level as one loop per kind
// over compact records. Objects without side effects (see
// KLibraryClass::HasSideEffects) are placed by data flow like kernels, so
// same-kind objects of one level are called one after another; every other
// object keeps its relative compile order (levels of such objects never
// decrease), so side effects - messages, stop requests, instruments, digital
// sampling - happen in the order the model defines. Within a level no object
// reads what another writes, so the values are bit-identical to the plain
// compile order.
//
// Gated objects that describe themselves as gated kernels (digital blocks,
// see KLibraryClass::DescribeGatedKernel) run per gate and kind as one loop
// over records, their internal memories side by side in one array the plan
// owns; the other gated objects of the group are called one by one. Members
// of one group share a level, so they read nothing another writes.
//
// After a run-time error the plan may have computed outputs of kernels that
// the compile order would have left for later in that evaluation; a failed
// evaluation's outputs mean nothing either way (the solver discards the step).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/kernel.h"

namespace korvel {

class KBenchTop;
class KLibraryClass;

class KEvaluationPlan {
public:
    // One step of the plan: a batch of kernel records (run set; first and
    // count index Records), one object's Compute (object set), a group of
    // gated objects (gate set; first and count index GatedObjects), or a
    // batch of gated kernel records (run and gate set; period is the
    // controller's sample period).
    struct Op {
        KKernelRunner run = nullptr;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        KLibraryClass* object = nullptr;
        const bool* gate = nullptr;
        const double* period = nullptr;
    };

    void Build(const std::vector<KLibraryClass*>& compute, const KBenchTop& benchTop,
               std::size_t slotCount);

    const std::vector<Op>& Ops() const { return ops_; }
    const KKernelRecord* Records() const { return records_.data(); }
    KLibraryClass* const* GatedObjects() const { return gated_.data(); }
    // The object of each record of a gated kernel batch (nullptr for the
    // records of other kernels), for reporting a run error.
    KLibraryClass* const* RecordObjects() const { return recordObjects_.data(); }
    // The internal memories of gated kernels.
    double* Memory() const { return memory_.get(); }
    // Gated kernel records, for tests and benchmarks.
    std::size_t GatedKernelCount() const { return gatedKernels_; }
    int LevelCount() const { return levelCount_; }
    std::size_t KernelObjectCount() const { return records_.size(); }
    // Batches that run as plain loops over consecutive slots.
    int DenseBatchCount() const { return denseBatches_; }
    // When the solver's states live in the arena, kernels read state outputs
    // from the states themselves, and before an evaluation only the state
    // outputs that other objects read need writing (these pairs of slot and
    // state). Otherwise every state output is written.
    bool NeedsFullRefresh() const { return fullRefresh_; }
    const std::vector<std::pair<std::uint32_t, int>>& ObjectStateReads() const {
        return objectStateReads_;
    }

private:
    std::vector<Op> ops_;
    std::vector<KKernelRecord> records_;
    std::vector<KLibraryClass*> gated_;
    std::vector<KLibraryClass*> recordObjects_;
    std::unique_ptr<double[]> memory_;
    std::size_t gatedKernels_ = 0;
    int levelCount_ = 0;
    int denseBatches_ = 0;
    bool fullRefresh_ = true;
    std::vector<std::pair<std::uint32_t, int>> objectStateReads_;
};

}  // namespace korvel
