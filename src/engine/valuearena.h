// KValueArena: the one block of doubles every signal of a running model lives
// in.
//
// When the bench top is built, every net gets one slot, holding its source
// node's value (an unwired custom-module input that sources a net therefore
// feeds its own value), and every node of an ordered block that is on no net
// gets a slot of its own, holding the node's value. Run-time objects keep
// plain pointers into the arena for their inputs and outputs, so reading an
// input during a step is one load: no node lookup, no net indirection. The
// arena is sized once and never grows, which keeps those pointers valid for
// the bench top's whole life.
//
// Slots are laid out so that one node of same-type blocks sits in consecutive
// slots (see Build), which lets the evaluation plan run a batch of such blocks
// as a loop over plain arrays. Behind the value slots the arena keeps room for
// the solver's state values, so a kernel reads a state like any other value.
//
// Node values are not touched while the model runs; SyncNodeValues copies the
// outputs back when the editor wants to show them.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace korvel {

class KCompiled;
class KNode;

class KValueArena {
public:
    // Lays out the slots of a compiled model (nets, node net links and the
    // ordered block list must be set), with room for `stateCapacity` state
    // values behind them. Called once, before any run-time object resolves a
    // slot: a new layout moves every slot.
    void Build(const KCompiled& compiled, std::size_t stateCapacity = 0);

    // The slot of a node, or -1 when the node was not laid out.
    int SlotOf(const KNode& node) const;

    double* Data() { return values_.data(); }
    const double* Data() const { return values_.data(); }
    // The number of value slots (the state region not counted).
    std::size_t Size() const { return slotCount_; }
    // The room for state values, right behind the value slots.
    double* StateRegion() { return values_.data() + slotCount_; }
    std::size_t StateCapacity() const { return values_.size() - slotCount_; }
    double& operator[](std::size_t slot) { return values_[slot]; }

    // Writes each output node's slot back into the node's value.
    void SyncNodeValues() const;

private:
    std::vector<double> values_;
    std::size_t slotCount_ = 0;
    std::unordered_map<const KNode*, int> slotOf_;
    std::vector<std::pair<KNode*, int>> outputs_;
};

}  // namespace korvel
