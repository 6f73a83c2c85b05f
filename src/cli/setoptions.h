// --set NAME=VALUE: live values a headless run starts from.
#pragma once

#include <string>
#include <vector>

namespace korvel {

class KBenchTop;
class Messages;

// Sets the live value of every live block (live constant, string constant,
// push button, live switch) named NAME to VALUE, in the order given. A
// setting that is malformed, names no block, names only blocks that are not
// live, or carries a value the block refuses shows an Error box; answers
// false when any did (the run must not start).
bool ApplyLiveSettings(KBenchTop& bench, const std::vector<std::string>& settings,
                       Messages& messages);

}  // namespace korvel
