#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "split/PrivateFolder.h"

using namespace fk;

// The office says "access denied" where its store into a full $TMPDIR fails: the folder tells.
TEST(PrivateFolder, AStoreTheOfficeFailsInAFullFolderIsTheFoldersFailure) {
    QTemporaryDir scratch;
    const Failure refused = Failure::officeRefused("SfxBaseModel::impl_store failed: 0x507");
    const auto kindOfStore = [&](const QString& folder) {
        try {
            StoreInPrivateFolder(folder, [&] { throw refused; });
        } catch (const Failure& failure) {
            return failure.kind();
        }
        return FailureKind::Other;
    };
    EXPECT_EQ(kindOfStore(scratch.path()), FailureKind::OfficeRefused) << "a folder that takes files";
    const QString full = scratch.filePath("full");
    ASSERT_TRUE(QDir().mkpath(full));
    const int status =
        test::InFullFileSystem(full, [&] { return kindOfStore(full) == FailureKind::NoSpace ? 0 : 1; });
    if (status == test::kNoFullFileSystem) GTEST_SKIP() << "no mount namespace here for a full file system";
    EXPECT_EQ(status, 0) << "a full folder is named as full";
}
