#include "engine/blocks_misc.h"

#include <memory>

#include "engine/benchtop.h"
#include "engine/logiclevel.h"
#include "engine/runerror.h"
#include "engine/solver.h"
#include "model/block.h"

namespace korvel {

namespace {

KVarDisplay VariableDisplay(const KBlock& block) {
    KVarDisplay display;
    auto value = [&block](std::string_view name) {
        const KNode* node = block.FindNode(name);
        return node == nullptr ? 0.0 : node->value;
    };
    display.scale = value("Scale");
    display.offset = value("Offset");
    display.mult = value("Mult");
    display.show = value("Show") > 0;
    display.acCouple = value("AC Couple") > 0;
    return display;
}

}  // namespace

void MakeSolverBlock(KBenchTop& benchTop, KBlock& block) {
    const double* step = NodeSlot(benchTop, block, "h");
    const double* limit = NodeSlot(benchTop, block, "Time Increment");
    KValueArena& arena = benchTop.Arena();
    const int maxOrder = KSolver::kDefaultMaxOrder;
    double* states =
        arena.StateCapacity() >= static_cast<std::size_t>(maxOrder) ? arena.StateRegion() : nullptr;
    benchTop.AddSolver(std::make_unique<KSolver>(benchTop, &block, step, limit, maxOrder, states));
}

KLibraryVariable::KLibraryVariable(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block),
      in_(In("Input")),
      var_(benchTop, block.userString, VariableDisplay(block)) {
    var_.SetValue(*in_);
}

KLibraryStop::KLibraryStop(KBenchTop& benchTop, KBlock& block)
    : KLibraryClass(benchTop, block), stop_(In("Stop")) {}

void KLibraryStop::Compute(double) {
    if (!IsTrue(*stop_)) {
        armed_ = true;
        return;
    }
    if (!armed_) return;
    armed_ = false;
    throw KRunError(std::string(kStopRequest));
}

}  // namespace korvel
