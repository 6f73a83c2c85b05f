#pragma once

#include <iosfwd>

namespace korvel {

// Writes one line per block type, in type order:
// number, tag, display name, palette page and node count, separated by tabs.
void ListTypes(std::ostream& out);

}  // namespace korvel
