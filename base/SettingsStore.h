#pragma once

#include <QString>

namespace fk {

// The per-user store of the program's choices. A key never written reads as the default;
// a key holding the empty text reads as the empty text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& key, const QString& defaultValue) = 0;
    // On disk before it returns; throws Failure when the store cannot be written.
    virtual void write(const QString& key, const QString& value) = 0;
};

}  // namespace fk
