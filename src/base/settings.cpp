#include "base/settings.h"

namespace korvel {

std::optional<std::string> KMemorySettings::Get(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void KMemorySettings::Set(std::string_view key, std::string_view value) {
    const auto found = values_.find(key);
    if (found != values_.end()) {
        found->second = value;
        return;
    }
    values_.emplace(std::string(key), std::string(value));
}

void KMemorySettings::Remove(std::string_view key) {
    const auto found = values_.find(key);
    if (found != values_.end()) {
        values_.erase(found);
    }
}

}  // namespace korvel
