#include "engine/valuearena.h"

#include <cassert>

#include "model/block.h"
#include "model/elements.h"
#include "model/node.h"

namespace korvel {

namespace {

// Texts, programs and documentation have no numeric value worth a slot.
bool HoldsNumber(const KNode& node) {
    return !node.IsDocumentation() && !node.IsProgram();
}

// A link the compile did not build counts as no net, so a stale link can never
// index past the net slots.
bool OnNet(const KNode& node, int netCount) {
    assert((node.netLink < netCount) && "node linked to a net the compile did not build");
    return node.netLink >= 0 && node.netLink < netCount;
}

}  // namespace

void KValueArena::Build(KElements& compiled) {
    values_.clear();
    slotOf_.clear();
    outputs_.clear();

    const int netCount = static_cast<int>(compiled.nets.size());
    std::size_t ownSlots = 0;
    for (const KBlock* block : compiled.ordered) {
        for (const KNode& node : block->Nodes()) {
            if (HoldsNumber(node) && !OnNet(node, netCount)) ++ownSlots;
        }
    }
    values_.assign(static_cast<std::size_t>(netCount) + ownSlots, 0.0);

    for (int n = 0; n < netCount; ++n) {
        const KNet& net = compiled.nets[static_cast<std::size_t>(n)];
        if (net.sourceBlock == nullptr) continue;
        values_[static_cast<std::size_t>(n)] = net.sourceBlock->Node(net.sourceNode).value;
    }

    int next = netCount;
    for (KBlock* block : compiled.ordered) {
        for (KNode& node : block->Nodes()) {
            if (!HoldsNumber(node)) continue;
            int slot;
            if (OnNet(node, netCount)) {
                slot = node.netLink;
            } else {
                slot = next++;
                values_[static_cast<std::size_t>(slot)] = node.value;
            }
            slotOf_.emplace(&node, slot);
            if (node.IsOutput()) outputs_.emplace_back(&node, slot);
        }
    }
}

int KValueArena::SlotOf(const KNode& node) const {
    const auto it = slotOf_.find(&node);
    return it == slotOf_.end() ? -1 : it->second;
}

void KValueArena::SyncNodeValues() const {
    for (const auto& [node, slot] : outputs_) node->value = values_[static_cast<std::size_t>(slot)];
}

}  // namespace korvel
