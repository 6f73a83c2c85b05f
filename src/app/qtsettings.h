// The settings seam on QSettings: the user's settings file of the
// organisation and application "Korvel" (the platform has no machine-wide
// writable store for it), or a given file for tests.
#pragma once

#include <QString>
#include <memory>

#include "base/settings.h"

class QSettings;

namespace korvel {

class KQtSettings final : public SettingsStore {
public:
    // The user's settings.
    KQtSettings();
    // An INI file at a path (tests, --settings).
    explicit KQtSettings(const QString& iniPath);
    ~KQtSettings() override;

    std::optional<std::string> Get(std::string_view key) const override;
    void Set(std::string_view key, std::string_view value) override;
    void Remove(std::string_view key) override;
    void Sync();

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace korvel
