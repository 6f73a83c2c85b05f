#include "cli/setoptions.h"

#include <string_view>

#include "base/messages.h"
#include "engine/benchtop.h"
#include "engine/displaystate.h"
#include "engine/libraryclass.h"
#include "model/block.h"
#include "model/elements.h"

namespace korvel {

namespace {

bool ModelHasBlockNamed(const KBenchTop& bench, std::string_view name) {
    const KElements* elements = bench.Source();
    if (elements == nullptr) return false;
    for (const auto& e : elements->All()) {
        if (e->IsBlock() && static_cast<const KBlock&>(*e).userString == name) return true;
    }
    return false;
}

bool ApplyOne(KBenchTop& bench, const std::string& setting, Messages& messages) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) {
        messages.ErrorBox("--set needs NAME=VALUE (got \"" + setting + "\").");
        return false;
    }
    const std::string name = setting.substr(0, equals);
    const std::string value = setting.substr(equals + 1);
    bool named = false;
    bool applied = false;
    for (KLibraryClass* object : bench.ComputeList()) {
        if (object->Name() != name) continue;
        named = true;
        auto* live = dynamic_cast<KLiveSettable*>(object);
        if (live == nullptr) continue;
        const std::string refusal = live->SetLiveText(value);
        if (!refusal.empty()) {
            messages.ErrorBox("--set " + name + ": " + refusal + ".");
            return false;
        }
        applied = true;
    }
    if (applied) return true;
    if (named || ModelHasBlockNamed(bench, name)) {
        messages.ErrorBox("--set " + name +
                          ": the block is not a live constant, string "
                          "constant, push button or live switch.");
    } else {
        messages.ErrorBox("--set " + name + ": the model has no block named \"" + name + "\".");
    }
    return false;
}

}  // namespace

bool ApplyLiveSettings(KBenchTop& bench, const std::vector<std::string>& settings,
                       Messages& messages) {
    bool ok = true;
    for (const std::string& setting : settings) ok = ApplyOne(bench, setting, messages) && ok;
    return ok;
}

}  // namespace korvel
