#include "engine/evaluationplan.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

#include "engine/benchtop.h"
#include "engine/libraryclass.h"

namespace korvel {

namespace {

struct Placed {
    int level = 0;
    bool isKernel = false;
    KKernel kernel;
    const bool* gate = nullptr;
    const double* period = nullptr;
    bool gatedKernel = false;
};

// The gated kernels' memories while a plan is built: copied from where each
// object keeps them now, pointed at once the array is final.
struct MemoryBuilder {
    std::vector<double> values;
    std::vector<std::pair<double**, std::size_t>> owners;

    std::int32_t Add(const KKernel& kernel) {
        const std::size_t offset = values.size();
        const double* current = *kernel.memory;
        values.insert(values.end(), current, current + kernel.memorySize);
        owners.emplace_back(kernel.memory, offset);
        return static_cast<std::int32_t>(offset);
    }
};

// Whether every used field of the batch steps by one from the first record.
bool IsDense(const KKernelRecord* records, std::size_t count, std::uint16_t fields) {
    const KKernelRecord& first = records[0];
    for (std::size_t i = 1; i < count; ++i) {
        const KKernelRecord& r = records[i];
        const auto step = static_cast<std::uint32_t>(i);
        if ((fields & kFieldA) && r.a != first.a + step) return false;
        if ((fields & kFieldB) && r.b != first.b + step) return false;
        if ((fields & kFieldC) && r.c != first.c + step) return false;
        if ((fields & kFieldD) && r.d != first.d + step) return false;
        if ((fields & kFieldE) && r.e != first.e + step) return false;
        if ((fields & kFieldF) && r.f != first.f + step) return false;
        if ((fields & kFieldG) && r.g != first.g + step) return false;
        if ((fields & kFieldOut) && r.out != first.out + step) return false;
        if ((fields & kFieldState) && r.state != first.state + static_cast<std::int32_t>(i)) {
            return false;
        }
    }
    return true;
}

// Points a kernel's inputs that mirror a state at the state itself, which
// sits at `stateBase` + its index in the arena's address space.
void ReadStatesInPlace(KKernel& kernel, const std::vector<int>& stateOf, std::uint32_t stateBase) {
    auto redirect = [&](std::uint32_t& field, KKernelField bit) {
        if ((kernel.fields & bit) == 0) return;
        const int state = stateOf[field];
        if (state >= 0) field = stateBase + static_cast<std::uint32_t>(state);
    };
    redirect(kernel.record.a, kFieldA);
    redirect(kernel.record.b, kFieldB);
    redirect(kernel.record.c, kFieldC);
    redirect(kernel.record.d, kFieldD);
    redirect(kernel.record.e, kFieldE);
    redirect(kernel.record.f, kFieldF);
    redirect(kernel.record.g, kFieldG);
}

void AddGatedGroups(const std::vector<std::size_t>& members, const std::vector<Placed>& placed,
                    const std::vector<KLibraryClass*>& compute,
                    std::vector<KEvaluationPlan::Op>& ops, std::vector<KLibraryClass*>& gated,
                    std::vector<KKernelRecord>& records,
                    std::vector<KLibraryClass*>& recordObjects, MemoryBuilder& memory) {
    // One group per flag, flags in order of first appearance: first a batch
    // per kind of gated kernel, then the other objects in compile order.
    std::vector<const bool*> gates;
    for (std::size_t k : members) {
        const bool* gate = placed[k].gate;
        if (gate != nullptr && std::find(gates.begin(), gates.end(), gate) == gates.end()) {
            gates.push_back(gate);
        }
    }
    std::vector<KKernelRunner> runners;
    for (const bool* gate : gates) {
        runners.clear();
        for (std::size_t k : members) {
            const Placed& p = placed[k];
            if (p.gate == gate && p.gatedKernel &&
                std::find(runners.begin(), runners.end(), p.kernel.run) == runners.end()) {
                runners.push_back(p.kernel.run);
            }
        }
        for (KKernelRunner run : runners) {
            KEvaluationPlan::Op op;
            op.run = run;
            op.gate = gate;
            op.first = static_cast<std::uint32_t>(records.size());
            for (std::size_t k : members) {
                const Placed& p = placed[k];
                if (p.gate != gate || !p.gatedKernel || p.kernel.run != run) continue;
                op.period = p.period;
                KKernelRecord record = p.kernel.record;
                record.state = memory.Add(p.kernel);
                records.push_back(record);
                recordObjects.resize(records.size(), nullptr);
                recordObjects.back() = compute[k];
            }
            op.count = static_cast<std::uint32_t>(records.size()) - op.first;
            ops.push_back(op);
        }
        KEvaluationPlan::Op op;
        op.gate = gate;
        op.first = static_cast<std::uint32_t>(gated.size());
        for (std::size_t k : members) {
            if (placed[k].gate == gate && !placed[k].gatedKernel) gated.push_back(compute[k]);
        }
        op.count = static_cast<std::uint32_t>(gated.size()) - op.first;
        if (op.count > 0) ops.push_back(op);
    }
}

}  // namespace

void KEvaluationPlan::Build(const std::vector<KLibraryClass*>& compute, const KBenchTop& benchTop,
                            std::size_t slotCount) {
    ops_.clear();
    records_.clear();
    gated_.clear();
    recordObjects_.clear();
    levelCount_ = 0;
    denseBatches_ = 0;
    objectStateReads_.clear();
    fullRefresh_ = !benchTop.StatesInArena();

    // The state each state-output slot mirrors (-1: none).
    std::vector<int> stateOf(slotCount, -1);
    for (const KBenchTop::StateRun& run : benchTop.StateRuns()) {
        for (int i = 0; i < run.count; ++i) {
            stateOf[run.slot + static_cast<std::uint32_t>(i)] = run.state + i;
        }
    }
    std::vector<unsigned char> readByObject(slotCount, 0);

    // Per slot: the level of its writer and the highest level that read it,
    // both among the objects placed so far (-1: none).
    std::vector<int> writerLevel(slotCount, -1);
    std::vector<int> readerLevel(slotCount, -1);
    std::vector<Placed> placed(compute.size());
    int lastObjectLevel = 0;
    // The levels of the objects placed so far that are not kernels, for
    // placing gated objects after the object that sets their flag.
    std::unordered_map<const KLibraryClass*, int> objectLevel;

    for (std::size_t k = 0; k < compute.size(); ++k) {
        const KLibraryClass& object = *compute[k];
        Placed& p = placed[k];
        p.isKernel = object.DescribeKernel(p.kernel);
        int gateLevel = 0;
        if (!p.isKernel) {
            const KGate gate = object.Gate();
            const auto owner = objectLevel.find(gate.owner);
            if (gate.flag != nullptr && owner != objectLevel.end()) {
                p.gate = gate.flag;
                p.period = gate.period;
                gateLevel = owner->second + 1;
                p.gatedKernel = gate.period != nullptr && compute[k]->DescribeGatedKernel(p.kernel);
            }
        }
        if (p.isKernel && !fullRefresh_) {
            ReadStatesInPlace(p.kernel, stateOf, static_cast<std::uint32_t>(slotCount));
        } else if (!p.isKernel) {
            for (std::uint32_t slot : object.ReadSlots()) {
                if (stateOf[slot] >= 0 && !readByObject[slot]) {
                    readByObject[slot] = 1;
                    objectStateReads_.emplace_back(slot, stateOf[slot]);
                }
            }
        }
        int level = gateLevel;
        for (std::uint32_t slot : object.ReadSlots()) {
            if (benchTop.IsStateOutputSlot(slot)) continue;  // written before the evaluation
            level = std::max(level, writerLevel[slot] + 1);
        }
        for (std::uint32_t slot : object.WrittenSlots()) {
            // Earlier readers must still see the old value.
            level = std::max(level, readerLevel[slot] + 1);
            level = std::max(level, writerLevel[slot] + 1);
        }
        if (!p.isKernel && p.gate == nullptr && object.HasSideEffects()) {
            // Objects with side effects keep their compile order.
            level = std::max(level, lastObjectLevel);
            lastObjectLevel = level;
        }
        if (!p.isKernel) objectLevel[&object] = level;
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

    MemoryBuilder memory;
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
            const KKernel* kind = nullptr;
            for (std::size_t k : members) {
                if (placed[k].isKernel && placed[k].kernel.run == run) {
                    records_.push_back(placed[k].kernel.record);
                    kind = &placed[k].kernel;
                }
            }
            op.count = static_cast<std::uint32_t>(records_.size()) - op.first;
            if (op.count > 1 && kind->runDense != nullptr &&
                IsDense(&records_[op.first], op.count, kind->fields)) {
                op.run = kind->runDense;
                ++denseBatches_;
            }
            ops_.push_back(op);
        }
        for (std::size_t k : members) {
            if (placed[k].isKernel || placed[k].gate != nullptr) continue;
            Op op;
            op.object = compute[k];
            ops_.push_back(op);
        }
        AddGatedGroups(members, placed, compute, ops_, gated_, records_, recordObjects_, memory);
    }
    // The objects' memories move into the plan (from a previous plan's array,
    // which lives until here).
    gatedKernels_ = memory.owners.size();
    memory_ = std::make_unique<double[]>(std::max<std::size_t>(memory.values.size(), 1));
    std::copy(memory.values.begin(), memory.values.end(), memory_.get());
    for (const auto& [owner, offset] : memory.owners) *owner = memory_.get() + offset;
    assert(std::all_of(ops_.begin(), ops_.end(), [](const Op& op) {
        return int(op.object != nullptr) + int(op.run != nullptr || op.gate != nullptr) == 1;
    }));
}

}  // namespace korvel
