// The numbering check, the extender check and net building.
//
// Nets are grown the way the plain procedure grows them: a net starts at the
// first wire (in collection order) with a source end, then passes over the
// wires in collection order take every wire that touches the net, until a
// pass takes none. Which failure a faulty model reports depends on the order
// wires are taken in, so the builder keeps that order exactly, but without
// the passes: a wire is taken at its first visit after one of its ends joins
// the net, at (pass, position among the wires). Those visits are kept in a
// priority queue fed from the wires of each joining node, which makes the
// whole build near-linear in wires and nodes.
#include <functional>
#include <queue>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "model/compile.h"
#include "model/compileparts.h"

namespace korvel {

using compile_detail::ForEachBlock;
using compile_detail::ForEachWire;

bool CheckNumbering(KElements& elements, Messages& messages) {
    std::unordered_map<int, int> uses;
    for (const auto& e : elements.All()) ++uses[e->IDNumber()];
    // The first element (in collection order) that shares its number.
    for (const auto& e : elements.All()) {
        if (uses[e->IDNumber()] < 2) continue;
        messages.ErrorBox("Two elements have IDNumber: " + std::to_string(e->IDNumber()));
        return false;
    }
    return true;
}

void CheckExtenders(KElements& elements, Messages& messages) {
    std::unordered_map<std::string_view, int> named;
    ForEachBlock(elements, [&named](KBlock& b) {
        if (b.IsExtender()) ++named[b.userString];
    });
    ForEachBlock(elements, [&](KBlock& b) {
        if (b.IsExtender() && named[b.userString] < 2)
            messages.WarningBox("Extender \"" + b.userString + "\" has no mate.");
    });
}

namespace {

// A visit of a wire by the passes: (pass, the wire's position among the wires).
using Visit = std::pair<int, int>;

class NetBuilder {
public:
    NetBuilder(KElements& elements, KCompiled& compiled, Messages& messages)
        : elements_(elements), compiled_(compiled), messages_(messages) {}

    bool Run();

private:
    struct End {
        KBlock* block;
        KNode* node;
    };

    void Reset();
    void IndexBlocks();
    void IndexWires();
    int NodeId(const KBlock* block, const KNode* node) const;
    std::vector<KBlock*>* Mates(const KBlock& extender);

    bool StartNet(int position);
    bool Grow(int net);
    bool Take(int net, Visit visit);
    void Join(int net, const End& end, Visit now);
    void Activate(const KBlock* block, const KNode* node, Visit now);
    bool Fail(KWire& wire, std::string_view text, bool destroyNets);
    void WarnSourceless();

    KElements& elements_;
    KCompiled& compiled_;
    Messages& messages_;
    std::vector<KWire*> wires_;
    std::unordered_map<const KBlock*, int> firstNodeId_;
    // The wires on each node: wiresAt_[wireStart_[id] .. wireStart_[id + 1]).
    std::vector<int> wireStart_;
    std::vector<int> wiresAt_;
    // Extenders by parent module and name: the mates a net continues to.
    std::unordered_map<int, std::unordered_map<std::string_view, std::vector<KBlock*>>> mates_;
    std::priority_queue<Visit, std::vector<Visit>, std::greater<>> queue_;
};

bool NetBuilder::Run() {
    Reset();
    IndexBlocks();
    IndexWires();
    for (int i = 0; i < static_cast<int>(wires_.size()); ++i)
        if (!StartNet(i)) return false;
    WarnSourceless();
    return true;
}

void NetBuilder::Reset() {
    compiled_.nets.clear();
    ForEachWire(elements_, [](KWire& w) { w.net = -1; });
    ForEachBlock(elements_, [](KBlock& b) { b.ClearNetLinks(); });
}

void NetBuilder::IndexBlocks() {
    int next = 0;
    ForEachBlock(elements_, [&](KBlock& b) {
        firstNodeId_.emplace(&b, next);
        next += b.NodeCount();
        if (b.IsExtender()) mates_[b.ParentModule()][b.userString].push_back(&b);
    });
    wireStart_.assign(static_cast<std::size_t>(next) + 1, 0);
}

int NetBuilder::NodeId(const KBlock* block, const KNode* node) const {
    return firstNodeId_.at(block) + block->NodeIndex(node);
}

void NetBuilder::IndexWires() {
    ForEachWire(elements_, [this](KWire& w) { wires_.push_back(&w); });
    for (const KWire* w : wires_) {
        if (!w->StartNode() || !w->EndNode()) continue;
        ++wireStart_[static_cast<std::size_t>(NodeId(w->StartBlockPtr(), w->StartNode())) + 1];
        ++wireStart_[static_cast<std::size_t>(NodeId(w->EndBlockPtr(), w->EndNode())) + 1];
    }
    for (std::size_t i = 1; i < wireStart_.size(); ++i) wireStart_[i] += wireStart_[i - 1];
    wiresAt_.assign(static_cast<std::size_t>(wireStart_.back()), 0);
    std::vector<int> fill(wireStart_.begin(), wireStart_.end() - 1);
    for (int i = 0; i < static_cast<int>(wires_.size()); ++i) {
        const KWire* w = wires_[static_cast<std::size_t>(i)];
        if (!w->StartNode() || !w->EndNode()) continue;
        for (int id :
             {NodeId(w->StartBlockPtr(), w->StartNode()), NodeId(w->EndBlockPtr(), w->EndNode())})
            wiresAt_[static_cast<std::size_t>(fill[static_cast<std::size_t>(id)]++)] = i;
    }
}

std::vector<KBlock*>* NetBuilder::Mates(const KBlock& extender) {
    auto byParent = mates_.find(extender.ParentModule());
    if (byParent == mates_.end()) return nullptr;
    auto named = byParent->second.find(extender.userString);
    return named == byParent->second.end() ? nullptr : &named->second;
}

// Steps 1 to 4 for one wire of the outer loop, then the net's growth.
bool NetBuilder::StartNet(int position) {
    KWire& w = *wires_[static_cast<std::size_t>(position)];
    KNode* start = w.StartNode();
    KNode* end = w.EndNode();
    if (w.net != -1 || !start || !end) return true;
    if (start->IsSource() && end->IsSource()) return Fail(w, "Wire connects two outputs", false);
    if (!start->IsSource() && !end->IsSource()) return true;
    if (start->netLink != -1 || end->netLink != -1)
        return Fail(
            w, "Logic error in GenerateNetList or it may be that two wires connect two outputs",
            false);
    const bool startIsSource = start->IsSource();
    KBlock* sourceBlock = startIsSource ? w.StartBlockPtr() : w.EndBlockPtr();
    KNode* source = startIsSource ? start : end;
    End other = startIsSource ? End{w.EndBlockPtr(), end} : End{w.StartBlockPtr(), start};

    const int net = static_cast<int>(compiled_.nets.size());
    compiled_.nets.push_back(KNet{sourceBlock, sourceBlock->NodeIndex(source)});
    w.net = net;
    // Every wire on a node that joins now is first visited in the first pass.
    const Visit beforeFirstPass{0, static_cast<int>(wires_.size())};
    source->netLink = net;
    Activate(sourceBlock, source, beforeFirstPass);
    Join(net, other, beforeFirstPass);
    return Grow(net);
}

bool NetBuilder::Grow(int net) {
    while (!queue_.empty()) {
        Visit visit = queue_.top();
        queue_.pop();
        if (!Take(net, visit)) {
            queue_ = {};
            return false;
        }
    }
    return true;
}

// One visit of a wire by a pass: takes the wire onto the net or fails.
bool NetBuilder::Take(int net, Visit visit) {
    KWire& w = *wires_[static_cast<std::size_t>(visit.second)];
    if (w.net != -1) return true;
    const bool startIsNear = w.StartNode()->netLink == net;
    KNode& near = startIsNear ? *w.StartNode() : *w.EndNode();
    End far =
        startIsNear ? End{w.EndBlockPtr(), w.EndNode()} : End{w.StartBlockPtr(), w.StartNode()};
    if (far.node->netLink == net) return Fail(w, "Wires connected in a circle.", true);
    if (far.node->IsSource()) {
        return Fail(w,
                    near.IsSource() ? "Two outputs connected through one wire"
                                    : "Two outputs connected through more than one wire",
                    true);
    }
    if (far.node->netLink != -1)
        return Fail(w, "Logic error in KElement :: GenerateNetList()", true);
    w.net = net;
    Join(net, far, visit);
    return true;
}

// Puts a non-source node on the net; a net that reaches an extender goes on
// at every mate of the same module instance.
void NetBuilder::Join(int net, const End& end, Visit now) {
    end.node->netLink = net;
    Activate(end.block, end.node, now);
    if (!end.block->IsExtender()) return;
    std::vector<KBlock*>* mates = Mates(*end.block);
    if (!mates) return;
    for (KBlock* mate : *mates) {
        if (mate == end.block || mate->NodeCount() == 0) continue;
        KNode& node = mate->Node(0);
        if (node.netLink == net) continue;
        node.netLink = net;
        Activate(mate, &node, now);
    }
}

// Queues the next visit of every wire on a node that has just joined.
void NetBuilder::Activate(const KBlock* block, const KNode* node, Visit now) {
    const auto id = static_cast<std::size_t>(NodeId(block, node));
    for (int i = wireStart_[id]; i < wireStart_[id + 1]; ++i) {
        int position = wiresAt_[static_cast<std::size_t>(i)];
        if (wires_[static_cast<std::size_t>(position)]->net != -1) continue;
        queue_.push(position > now.second ? Visit{now.first, position}
                                          : Visit{now.first + 1, position});
    }
}

bool NetBuilder::Fail(KWire& wire, std::string_view text, bool destroyNets) {
    if (destroyNets) Reset();
    wire.selected = true;
    messages_.ErrorBox(text);
    return false;
}

void NetBuilder::WarnSourceless() {
    bool any = false;
    for (KWire* w : wires_) {
        if (w->net != -1) continue;
        w->selected = true;
        any = true;
    }
    if (any)
        messages_.WarningBox(
            "One or more wires found without a valid source.  These wires serve no function.");
}

}  // namespace

bool BuildNets(KElements& elements, KCompiled& compiled, Messages& messages) {
    return NetBuilder(elements, compiled, messages).Run();
}

}  // namespace korvel
