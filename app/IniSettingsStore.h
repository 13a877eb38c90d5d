#pragma once

#include <QSettings>

#include "app/SettingsKeys.h"
#include "base/SettingsStore.h"

namespace fk {


// Keeps the settings in an INI file: the application name is the file, the section its group.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(const QString& filePath);

    // $XDG_CONFIG_HOME/Kestrune/Kestrune.ini (usually ~/.config/Kestrune/Kestrune.ini).
    static QString defaultFilePath();

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;

private:
    QSettings settings_;
};

}  // namespace fk
