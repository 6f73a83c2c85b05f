// The reference manual: one HTML page with a section per block type
// (anchored by its type tag, the help topic F1 opens), generated from the
// block type table so it never drifts from it, and sections for the windows,
// the keys and the command line.
#pragma once

#include <string>

namespace korvel {

std::string ManualHtml();

}  // namespace korvel
