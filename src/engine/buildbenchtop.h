// Building the run-time model of a compiled model.
#pragma once

#include <memory>

namespace korvel {

class KBenchTop;
class KCompiled;
class Messages;

// Builds the bench top of a compiled model (a KCompiled that is Ok and
// current, or one made by hand with its nets, the nodes' net links and the
// ordered block list set; never a failed or stale one): lays out the value
// arena, makes the time variable "Time", then each ordered block's run-time
// object through the factory, then compiles the programs of program
// blocks and binds the instruments to the variables they watch. The bench top remembers the compile's
// generation (KBenchTop::IsCurrent).
//
// A block whose type has no run-time class yet fails the build before any
// object is made: an Error box names the type and the block, and the answer
// is nullptr; so it is after a program that does not compile (its
// message has been shown). Warnings found while building are in the bench top's
// CompileMessages. Fatal errors throw KFatalError after their box.
std::unique_ptr<KBenchTop> BuildBenchTop(const KCompiled& compiled, Messages& messages);

}  // namespace korvel
