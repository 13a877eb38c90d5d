#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "app/IniSettingsStore.h"
#include "app/RuntimeError.h"

using namespace fk;

TEST(IniSettingsStore, AbsentReadsAsDefaultButEmptyStaysEmpty) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Kestrune/Kestrune.ini");
    IniSettingsStore store(file);
    EXPECT_EQ(store.read(settings::kExtension, "*"), "*");
    store.write(settings::kText1, QString());
    EXPECT_EQ(store.read(settings::kText1, "/default/"), "");
    store.write(settings::kLastFolder, "/home/ann/Ünïcode folder");

    // On disk at once, under the section, readable by another instance.
    ASSERT_TRUE(QFile::exists(file));
    IniSettingsStore other(file);
    EXPECT_EQ(other.read(settings::kLastFolder, {}), "/home/ann/Ünïcode folder");
    EXPECT_EQ(other.read(settings::kText1, "x"), "");
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_TRUE(raw.childGroups().contains("Folioknife"));
}

TEST(IniSettingsStore, DefaultFileLivesUnderTheUsersConfigFolder) {
    EXPECT_TRUE(IniSettingsStore::defaultFilePath().endsWith("/Kestrune/Kestrune.ini"));
}

TEST(IniSettingsStore, UnwritableStoreRaisesAnError) {
    IniSettingsStore store(QStringLiteral("/proc/folioknife-cannot-write/Kestrune.ini"));
    EXPECT_THROW(store.write(settings::kText1, "x"), Failure);
}
