#include "engine/valuearena.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>
#include <vector>

#include "model/block.h"
#include "model/compiled.h"
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

// The ordered blocks grouped by type, types in order of first appearance and
// blocks in compile order within a type.
std::vector<std::vector<KBlock*>> GroupByType(const std::vector<KBlock*>& ordered) {
    std::vector<std::vector<KBlock*>> groups;
    std::unordered_map<int, std::size_t> groupOf;
    for (KBlock* block : ordered) {
        auto [it, added] = groupOf.emplace(block->Type(), groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(block);
    }
    return groups;
}

// Visits the numeric nodes group by group, node index by node index, block by
// block: the order that puts one node of one type's blocks side by side.
template <class Visit>
void ForEachNode(const std::vector<std::vector<KBlock*>>& groups, Visit visit) {
    for (const std::vector<KBlock*>& group : groups) {
        int nodeCount = 0;
        for (const KBlock* block : group) nodeCount = std::max(nodeCount, block->NodeCount());
        for (int j = 0; j < nodeCount; ++j) {
            for (KBlock* block : group) {
                if (j >= block->NodeCount()) continue;
                KNode& node = block->Node(j);
                if (HoldsNumber(node)) visit(*block, node);
            }
        }
    }
}

}  // namespace

void KValueArena::Build(const KCompiled& compiled, std::size_t stateCapacity) {
    values_.clear();
    slotOf_.clear();
    outputs_.clear();

    const int netCount = static_cast<int>(compiled.nets.size());
    const std::vector<std::vector<KBlock*>> groups = GroupByType(compiled.ordered);

    // Slots are handed out so that the same node of blocks of one type sits in
    // consecutive slots, in compile order: first the sources of nets, then the
    // nodes on no net. The evaluation plan batches blocks of one kind, and a
    // batch whose slots are consecutive runs as a plain loop over arrays.
    std::vector<int> netSlot(static_cast<std::size_t>(netCount), -1);
    int next = 0;
    ForEachNode(groups, [&](KBlock& block, KNode& node) {
        if (!OnNet(node, netCount)) return;
        const KNet& net = compiled.nets[static_cast<std::size_t>(node.netLink)];
        const bool isSource = net.sourceBlock == &block && &block.Node(net.sourceNode) == &node;
        int& slot = netSlot[static_cast<std::size_t>(node.netLink)];
        if (isSource && slot < 0) slot = next++;
    });
    std::vector<std::pair<KNode*, int>> own;
    ForEachNode(groups, [&](KBlock&, KNode& node) {
        if (OnNet(node, netCount)) {
            // A net whose source is not an ordered block's node.
            int& slot = netSlot[static_cast<std::size_t>(node.netLink)];
            if (slot < 0) slot = next++;
            return;
        }
        own.emplace_back(&node, next);
        slotOf_.emplace(&node, next++);
    });
    for (int& slot : netSlot) {
        if (slot < 0) slot = next++;  // nets no ordered block touches keep a slot
    }
    slotCount_ = static_cast<std::size_t>(next);
    values_.assign(slotCount_ + stateCapacity, 0.0);

    for (int n = 0; n < netCount; ++n) {
        const KNet& net = compiled.nets[static_cast<std::size_t>(n)];
        if (net.sourceBlock == nullptr) continue;
        values_[static_cast<std::size_t>(netSlot[static_cast<std::size_t>(n)])] =
            net.sourceBlock->Node(net.sourceNode).value;
    }
    for (const auto& [node, slot] : own) values_[static_cast<std::size_t>(slot)] = node->value;

    for (KBlock* block : compiled.ordered) {
        for (KNode& node : block->Nodes()) {
            if (!HoldsNumber(node)) continue;
            if (OnNet(node, netCount)) {
                slotOf_.emplace(&node, netSlot[static_cast<std::size_t>(node.netLink)]);
            }
            if (node.IsOutput()) outputs_.emplace_back(&node, slotOf_.at(&node));
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
