#include "model/compiled.h"

#include "model/block.h"
#include "model/elements.h"
#include "model/wire.h"

namespace korvel {

bool KCompiled::IsCurrent(const KElements& elements) const {
    return source_ == &elements && generation_ == elements.Generation();
}

void KCompiled::Seal(const KElements& elements, bool ok) {
    ok_ = ok;
    source_ = &elements;
    generation_ = elements.Generation();
    faultBlocks.clear();
    faultWires.clear();
    for (const auto& e : elements.All()) {
        if (e->IsWire()) {
            if (e->selected) faultWires.push_back(static_cast<const KWire*>(e.get()));
        } else if (e->IsBlock() && !static_cast<const KBlock&>(*e).IsComputed()) {
            faultBlocks.push_back(static_cast<const KBlock*>(e.get()));
        }
    }
}

}  // namespace korvel
