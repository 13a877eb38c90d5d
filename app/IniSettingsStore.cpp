#include "app/IniSettingsStore.h"

#include <QStandardPaths>

#include "base/Failure.h"

namespace fk {

IniSettingsStore::IniSettingsStore(const QString& filePath) : settings_(filePath, QSettings::IniFormat) {}

QString IniSettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           settings::kApplication + QLatin1Char('/') + settings::kApplication + QStringLiteral(".ini");
}

QString IniSettingsStore::read(const QString& key, const QString& defaultValue) {
    settings_.sync();  // another instance may have written since
    const QString fullKey = settings::kSection + QLatin1Char('/') + key;
    if (!settings_.contains(fullKey)) return defaultValue;
    return settings_.value(fullKey).toString();
}

void IniSettingsStore::write(const QString& key, const QString& value) {
    settings_.setValue(settings::kSection + QLatin1Char('/') + key, value);
    settings_.sync();
    if (settings_.status() != QSettings::NoError) {
        throw Failure::fileAccess();
    }
}

}  // namespace fk
