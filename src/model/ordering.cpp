// Ordering: the execution order of the blocks.
//
// The order is the one the plain procedure gives: passes over the collection,
// each taking, in collection order, every waiting block whose inputs are all
// available, where a block taken earlier in the same pass already counts.
// So a block is taken at its first visit after the last of the blocks it
// waits for was taken; with the visit written as (pass, position in the
// collection), that is one rule applied along the dependencies in
// topological order, and sorting by visit gives the order the passes give.
// The cost is linear in blocks plus nodes (plus the final sort) instead of
// one pass per step of the longest chain.
#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "model/compile.h"
#include "model/compileparts.h"

namespace korvel {

using compile_detail::ForEachBlock;

namespace {

// A visit of the passes: (pass, position in the collection).
using Visit = std::pair<int, int>;

// The first visit of position after a moment of the passes.
Visit FirstVisitAfter(Visit moment, int position) {
    return position > moment.second ? Visit{moment.first, position}
                                    : Visit{moment.first + 1, position};
}

class Scheduler {
public:
    Scheduler(KElements& elements, const KCompiled& compiled);
    // The blocks the passes take, in the order they take them; the others
    // wait for ever (algebraic loops and what they feed).
    std::vector<KBlock*> Taken();
    int WaitingCount() const { return static_cast<int>(blocks_.size()); }

private:
    void AddDependencies(int waiter);
    void AddDependency(int waiter, const KNode& input);

    const std::vector<KNet>& nets_;
    std::vector<KBlock*> blocks_;  // the blocks to order, in collection order
    std::unordered_map<const KBlock*, int> index_;
    std::vector<int> pending_;  // inputs still waiting for their source block
    std::vector<char> never_;   // an input waits for a block that is never taken
    std::vector<std::vector<int>> dependents_;
};

Scheduler::Scheduler(KElements& elements, const KCompiled& compiled) : nets_(compiled.nets) {
    ForEachBlock(elements, [this](KBlock& b) {
        if (b.IsComputed() || b.IsComputedLast()) return;
        index_.emplace(&b, static_cast<int>(blocks_.size()));
        blocks_.push_back(&b);
    });
    pending_.assign(blocks_.size(), 0);
    never_.assign(blocks_.size(), 0);
    dependents_.resize(blocks_.size());
    for (int i = 0; i < static_cast<int>(blocks_.size()); ++i) AddDependencies(i);
}

void Scheduler::AddDependencies(int waiter) {
    for (const KNode& n : blocks_[static_cast<std::size_t>(waiter)]->Nodes())
        AddDependency(waiter, n);
}

// An input is available at once when it is unwired, or its net's source is a
// module input feeding its own value, a state output, or already computed;
// otherwise when its source block is taken.
void Scheduler::AddDependency(int waiter, const KNode& input) {
    if (input.ready || !input.IsInput() || input.netLink < 0) return;
    if (input.netLink >= static_cast<int>(nets_.size())) return;
    const KNet& net = nets_[static_cast<std::size_t>(input.netLink)];
    const KNode& source = net.sourceBlock->Node(net.sourceNode);
    if (source.sourceFlag || source.ready) return;
    if (source.IsStateOutput() && !net.sourceBlock->TypeRecord().Has(kTraitFeedthroughOutputs))
        return;
    auto found = index_.find(net.sourceBlock);
    if (found == index_.end()) {
        never_[static_cast<std::size_t>(waiter)] = 1;
        return;
    }
    ++pending_[static_cast<std::size_t>(waiter)];
    dependents_[static_cast<std::size_t>(found->second)].push_back(waiter);
}

std::vector<KBlock*> Scheduler::Taken() {
    const std::size_t count = blocks_.size();
    std::vector<Visit> latest(count, Visit{1, -1});  // everything waited for is taken by then
    std::vector<Visit> visit(count);
    std::vector<int> taken;
    auto take = [&](int i) {
        visit[static_cast<std::size_t>(i)] =
            FirstVisitAfter(latest[static_cast<std::size_t>(i)], i);
        taken.push_back(i);
    };
    for (int i = 0; i < static_cast<int>(count); ++i)
        if (pending_[static_cast<std::size_t>(i)] == 0 && !never_[static_cast<std::size_t>(i)])
            take(i);
    // `taken` grows while it is read: it is the queue of the topological walk.
    for (std::size_t next = 0; next < taken.size(); ++next) {
        const int source = taken[next];
        for (int waiter : dependents_[static_cast<std::size_t>(source)]) {
            const auto w = static_cast<std::size_t>(waiter);
            latest[w] = std::max(latest[w], visit[static_cast<std::size_t>(source)]);
            if (--pending_[w] == 0 && !never_[w]) take(waiter);
        }
    }
    std::sort(taken.begin(), taken.end(), [&visit](int a, int b) {
        return visit[static_cast<std::size_t>(a)] < visit[static_cast<std::size_t>(b)];
    });
    std::vector<KBlock*> order;
    order.reserve(taken.size());
    for (int i : taken) order.push_back(blocks_[static_cast<std::size_t>(i)]);
    return order;
}

}  // namespace

bool OrderBlocks(KElements& elements, KCompiled& compiled, Messages& messages) {
    Scheduler scheduler(elements, compiled);
    std::vector<KBlock*> taken = scheduler.Taken();
    for (KBlock* b : taken) {
        b->SetComputed();
        compiled.ordered.push_back(b);
    }
    if (static_cast<int>(taken.size()) < scheduler.WaitingCount()) {
        // Only the blocks that could not be ordered are at fault; the blocks
        // computed last never had their turn and must not be drawn red.
        ForEachBlock(elements, [](KBlock& b) {
            if (b.IsComputedLast()) b.SetComputedFlagOnly(true);
        });
        messages.ErrorBox("Not all blocks could be ordered. \nUnordered blocks are shown in red.");
        return false;
    }
    ForEachBlock(elements, [&compiled](KBlock& b) {
        if (!b.IsComputedLast() || b.IsComputed()) return;
        b.SetComputed();
        compiled.ordered.push_back(&b);
    });
    return true;
}

}  // namespace korvel
