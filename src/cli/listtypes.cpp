#include "cli/listtypes.h"

#include <ostream>

#include "model/blocktype.h"

namespace korvel {

void ListTypes(std::ostream& out) {
    for (const KBlockType& t : BlockTypes()) {
        out << t.number << '\t' << t.tag << '\t' << t.displayName << '\t'
            << PaletteCaption(t.palette) << '\t' << t.nodes.size() << '\n';
    }
}

}  // namespace korvel
