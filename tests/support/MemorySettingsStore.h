#pragma once

#include <QMap>
#include <QStringList>

#include "app/RuntimeError.h"
#include "base/SettingsStore.h"

namespace fk::test {

class MemorySettingsStore : public SettingsStore {
public:
    QString read(const QString& key, const QString& defaultValue) override {
        reads << key;
        return values.contains(key) ? values.value(key) : defaultValue;
    }
    void write(const QString& key, const QString& value) override {
        if (failWrites) throw RuntimeError(75, QStringLiteral("Path/File access error"));
        writes << key + QLatin1Char('=') + value;
        values.insert(key, value);
    }

    QMap<QString, QString> values;
    QStringList reads;
    QStringList writes;
    bool failWrites = false;
};

}  // namespace fk::test
