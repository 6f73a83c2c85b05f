// Modules inside modules. A module file may hold module blocks, whose files
// may hold more; a module that comes back to itself along that chain can
// never be expanded (each compile would read it again and again until the
// instance limit stops it). The editor checks a module file before it
// places a block of it, so such a module never enters a design.
#pragma once

#include <string>
#include <vector>

namespace korvel {

class KModuleFinder;
class Messages;

// The file names of the module blocks a module or design file's text holds,
// in file order, as the file writes them.
std::vector<std::string> NestedModuleNames(std::string text);

// Follows the module blocks of the module file at `path`, and theirs, by
// their bare names through `modules` (a nested name the folders do not hold
// is passed over: compiling says it is missing). Answers false after an
// error box naming the chain when a module contains itself, directly or
// through other modules. `into` is the file the module is being placed in
// (empty for an unsaved model): a module file being edited must not come to
// hold a block of itself either.
[[nodiscard]] bool CheckModuleNesting(const std::string& path, const std::string& into,
                                      const KModuleFinder& modules, Messages& messages);

}  // namespace korvel
