#include "engine/evaluationplan.h"

#include <algorithm>
#include <cassert>

#include "engine/benchtop.h"
#include "engine/libraryclass.h"

namespace korvel {

namespace {

struct Placed {
    int level = 0;
    bool isKernel = false;
    KKernel kernel;
};

}  // namespace

void KEvaluationPlan::Build(const std::vector<KLibraryClass*>& compute, const KBenchTop& benchTop,
                            std::size_t slotCount) {
    ops_.clear();
    records_.clear();
    levelCount_ = 0;

    // Per slot: the level of its writer and the highest level that read it,
    // both among the objects placed so far (-1: none).
    std::vector<int> writerLevel(slotCount, -1);
    std::vector<int> readerLevel(slotCount, -1);
    std::vector<Placed> placed(compute.size());
    int lastObjectLevel = 0;

    for (std::size_t k = 0; k < compute.size(); ++k) {
        const KLibraryClass& object = *compute[k];
        Placed& p = placed[k];
        p.isKernel = object.DescribeKernel(p.kernel);
        int level = 0;
        for (std::uint32_t slot : object.ReadSlots()) {
            if (benchTop.IsStateOutputSlot(slot)) continue;  // written before the evaluation
            level = std::max(level, writerLevel[slot] + 1);
        }
        for (std::uint32_t slot : object.WrittenSlots()) {
            // Earlier readers must still see the old value.
            level = std::max(level, readerLevel[slot] + 1);
            level = std::max(level, writerLevel[slot] + 1);
        }
        if (!p.isKernel) {
            // Objects with side effects keep their compile order.
            level = std::max(level, lastObjectLevel);
            lastObjectLevel = level;
        }
        p.level = level;
        for (std::uint32_t slot : object.WrittenSlots()) writerLevel[slot] = level;
        for (std::uint32_t slot : object.ReadSlots()) {
            readerLevel[slot] = std::max(readerLevel[slot], level);
        }
        levelCount_ = std::max(levelCount_, level + 1);
    }

    // Bucket by level, keeping compile order inside each bucket.
    std::vector<std::vector<std::size_t>> byLevel(static_cast<std::size_t>(levelCount_));
    for (std::size_t k = 0; k < placed.size(); ++k) {
        byLevel[static_cast<std::size_t>(placed[k].level)].push_back(k);
    }

    std::vector<KKernelRunner> runners;
    for (const std::vector<std::size_t>& members : byLevel) {
        // One batch per kind, kinds in order of first appearance.
        runners.clear();
        for (std::size_t k : members) {
            if (!placed[k].isKernel) continue;
            const KKernelRunner run = placed[k].kernel.run;
            if (std::find(runners.begin(), runners.end(), run) == runners.end()) {
                runners.push_back(run);
            }
        }
        for (KKernelRunner run : runners) {
            Op op;
            op.run = run;
            op.first = static_cast<std::uint32_t>(records_.size());
            for (std::size_t k : members) {
                if (placed[k].isKernel && placed[k].kernel.run == run) {
                    records_.push_back(placed[k].kernel.record);
                }
            }
            op.count = static_cast<std::uint32_t>(records_.size()) - op.first;
            ops_.push_back(op);
        }
        for (std::size_t k : members) {
            if (placed[k].isKernel) continue;
            Op op;
            op.object = compute[k];
            ops_.push_back(op);
        }
    }
    assert(std::all_of(ops_.begin(), ops_.end(),
                       [](const Op& op) { return (op.object != nullptr) != (op.run != nullptr); }));
}

}  // namespace korvel
