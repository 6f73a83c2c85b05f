// Internal to compiling (compile.cpp, expansion.cpp, nets.cpp, ordering.cpp):
// small helpers the steps share.
#pragma once

#include <memory>

#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel::compile_detail {

inline KBlock* AsBlock(KElement& e) {
    return e.IsBlock() ? static_cast<KBlock*>(&e) : nullptr;
}
inline KWire* AsWire(KElement& e) {
    return e.IsWire() ? static_cast<KWire*>(&e) : nullptr;
}

// Calls visit(KBlock&) for every block, in collection order.
template <class Visit>
void ForEachBlock(KElements& elements, Visit visit) {
    for (const std::unique_ptr<KElement>& e : elements.All())
        if (KBlock* b = AsBlock(*e)) visit(*b);
}

// Calls visit(KWire&) for every wire, in collection order.
template <class Visit>
void ForEachWire(KElements& elements, Visit visit) {
    for (const std::unique_ptr<KElement>& e : elements.All())
        if (KWire* w = AsWire(*e)) visit(*w);
}

// Takes every red mark away (a block is drawn red while it is not computed)
// without touching the nodes' ready flags, so that the marks made next are
// the only ones the user sees.
inline void ClearRedMarks(KElements& elements) {
    ForEachBlock(elements, [](KBlock& b) { b.SetComputedFlagOnly(true); });
}

}  // namespace korvel::compile_detail
