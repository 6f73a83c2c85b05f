#include "app/qtsettings.h"

#include <QSettings>

namespace korvel {

namespace {

// Value names hold blanks ("Last Dir"); QSettings keeps them as they are
// within one group, so the names users know stay readable in the file.
QString Key(std::string_view key) {
    return QString::fromUtf8(key.data(), qsizetype(key.size()));
}

}  // namespace

KQtSettings::KQtSettings() : settings_(std::make_unique<QSettings>("Korvel", "Korvel")) {}

KQtSettings::KQtSettings(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

KQtSettings::~KQtSettings() = default;

std::optional<std::string> KQtSettings::Get(std::string_view key) const {
    const QVariant value = settings_->value(Key(key));
    if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
    return value.toString().toStdString();
}

void KQtSettings::Set(std::string_view key, std::string_view value) {
    settings_->setValue(Key(key), QString::fromUtf8(value.data(), qsizetype(value.size())));
}

void KQtSettings::Remove(std::string_view key) {
    settings_->remove(Key(key));
}

void KQtSettings::Sync() {
    settings_->sync();
}

}  // namespace korvel
