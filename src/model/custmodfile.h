// Custom module files as seen from outside: the interface a module block
// shows (one node per interface block of the module file), and the rules a
// module must meet before it is saved.
#pragma once

#include <string>
#include <vector>

#include "model/custmod.h"

namespace korvel {

class KBlock;
class KElements;
class KModuleFinder;
class Messages;

// Finds the block's module file and builds the block's nodes from its
// interface blocks, in file order. Answers false after saying why.
[[nodiscard]] bool LoadNodeArray(KCustMod& block, const KModuleFinder* modules,
                                 Messages& messages);

// The interface of a module file's text, or false after a message.
[[nodiscard]] bool ReadModuleInterface(std::string text, const std::string& fileName,
                                       std::vector<KModuleNode>& nodes, Messages& messages);

// The save-time rules of a custom module: at least one output, no two
// interface blocks at one place, and interface names that can be node names
// (not empty, not repeated, not a record keyword). Answers false after the
// first refusal's message.
[[nodiscard]] bool CheckCustomModule(const KElements& elements, Messages& messages);

// Where an interface block puts its node on the module block: the edge
// choice (0 "Left", 1 "Top", 2 "Right", 3 "Bottom") and the grid position
// (1 to 20) its "Edge" and "Position" nodes give.
struct KInterfacePlace {
    int edgeChoice = 0;
    int grid = 1;
    friend bool operator==(const KInterfacePlace&, const KInterfacePlace&) = default;
};
KInterfacePlace InterfacePlace(const KBlock& block);

// A module node's position in pixels from an interface block's "Position"
// value: rounded, halves up, limited to 1..20 grid steps.
int ModulePositionPixels(double position);

}  // namespace korvel
