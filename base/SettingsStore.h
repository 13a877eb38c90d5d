#pragma once

#include <QString>

namespace fk {

// The per-user store of the program's four choices. A key never written reads as the default;
// a key holding the empty text reads as the empty text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& key, const QString& defaultValue) = 0;
    // On disk before it returns; throws RuntimeError when the store cannot be written.
    virtual void write(const QString& key, const QString& value) = 0;
};

namespace settings {
inline const QString kApplication = QStringLiteral("Kestrune");
inline const QString kSection = QStringLiteral("Folioknife");
inline const QString kText1 = QStringLiteral("Text1");
inline const QString kLastFolderDot = QStringLiteral("LastFolderDot");
inline const QString kLastFolder = QStringLiteral("LastFolder");
inline const QString kExtension = QStringLiteral("Extension");
}  // namespace settings

}  // namespace fk
