// Key/value settings kept between sessions (window placement, module search
// folders, options). The GUI stores them in the platform's settings under the
// organisation and application "Korvel"; the runner and tests use the
// in-memory store.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Get(std::string_view key) const = 0;
    virtual void Set(std::string_view key, std::string_view value) = 0;
    virtual void Remove(std::string_view key) = 0;
};

class KMemorySettings final : public SettingsStore {
public:
    std::optional<std::string> Get(std::string_view key) const override;
    void Set(std::string_view key, std::string_view value) override;
    void Remove(std::string_view key) override;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace korvel
