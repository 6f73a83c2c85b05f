// A model compiled by hand, for the engine benchmarks: blocks go onto the
// compiled order as they are added (so the caller adds them in the order a
// compile would leave them), wires join two nodes, and every source node
// gets one net however many wires leave it. Blocks and wires share one run
// of ID numbers from 1. Build() turns the result into a run-time bench top.
#pragma once

#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "base/messagerecorder.h"
#include "engine/benchtop.h"
#include "engine/buildbenchtop.h"
#include "model/block.h"
#include "model/blocktype.h"
#include "model/compiled.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

class HandCompiled {
public:
    KMessageRecorder messages;
    KElements elements{messages};
    KCompiled compiled;
    std::unique_ptr<KBenchTop> benchTop;

protected:
    KBlock& Add(std::string_view tag) {
        auto block = MakeBlock(*FindBlockTypeByTag(tag));
        block->SetIDNumber(next_++);
        KBlock& added = static_cast<KBlock&>(elements.Add(std::move(block)));
        compiled.ordered.push_back(&added);
        return added;
    }

    void Wire(KBlock& from, std::string_view fromNode, KBlock& to, std::string_view toNode) {
        const int fromIndex = from.NodeIndex(fromNode);
        const int toIndex = to.NodeIndex(toNode);
        auto wire = std::make_unique<KWire>(next_++, 0);
        wire->SetStartBlockNode(fromIndex);
        wire->SetEndBlockNode(toIndex);
        wire->Connect(&from, &to, messages);
        elements.Add(std::move(wire));
        auto [it, added] = netOf_.emplace(std::make_pair(&from, fromIndex),
                                          static_cast<int>(compiled.nets.size()));
        if (added) compiled.nets.push_back({&from, fromIndex});
        from.Node(fromIndex).netLink = it->second;
        to.Node(toIndex).netLink = it->second;
    }

    // After the last Add and Wire: the bench top the model runs on.
    void Build() { benchTop = BuildBenchTop(compiled, messages); }

private:
    int next_ = 1;
    std::map<std::pair<KBlock*, int>, int> netOf_;
};

}  // namespace korvel
