#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "QtPrinters.h"
#include "base/RuntimeError.h"
#include "cli/OfficeProfiles.h"

using namespace fk::cli;

namespace {

TEST(OfficeProfiles, RunsAtTheSameTimeGetFoldersOfTheirOwnAndLaterRunsReuseThem) {
    QTemporaryDir cache;
    const QString base = cache.filePath("offices");
    {
        OfficeProfiles first(base, 2);
        EXPECT_EQ(first.folders(), (QStringList{base + "/1", base + "/2"}));
        OfficeProfiles second(base, 1);
        EXPECT_EQ(second.folders(), QStringList{base + "/3"}) << "1 and 2 are held by the first run";
    }
    OfficeProfiles later(base, 1);
    EXPECT_EQ(later.folders(), QStringList{base + "/1"});
}

TEST(OfficeProfiles, AFolderThatCannotBeMadeIsAnError) {
    EXPECT_THROW(OfficeProfiles("/proc/folioknife/offices", 1), fk::RuntimeError);
}

TEST(OfficeProfiles, DefaultFolderFollowsXdgCacheHome) {
    qputenv("XDG_CACHE_HOME", "/var/tmp/somewhere");
    EXPECT_EQ(OfficeProfiles::defaultBaseFolder(), "/var/tmp/somewhere/folioknife/offices");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_TRUE(OfficeProfiles::defaultBaseFolder().endsWith("/.cache/folioknife/offices"));
}

}  // namespace
