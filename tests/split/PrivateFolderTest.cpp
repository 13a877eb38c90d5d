#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "FullFileSystem.h"
#include "split/PrivateFolder.h"

using namespace fk;

namespace {

// What a store the office fails comes out as, by the state of the private folder it stored into.
FailureKind StoreFailure(const QString& folder, const Failure& officeFailure) {
    try {
        StoreInPrivateFolder(folder, [&] { throw officeFailure; });
    } catch (const Failure& failure) {
        return failure.kind();
    }
    return FailureKind::Other;
}

TEST(PrivateFolder, AStoreTheOfficeFailsIsTheFoldersFailureWhereTheFolderTakesNoFiles) {
    QTemporaryDir scratch;
    const Failure refused = Failure::officeRefused("SfxBaseModel::impl_store failed: 0x507");
    const struct {
        const char* name;
        QString folder;
        Failure officeFailure;
        FailureKind kind;
    } cases[] = {
        {"a folder that takes files", scratch.path(), refused, FailureKind::OfficeRefused},
        {"a folder removed", scratch.filePath("gone"), refused, FailureKind::NotFound},
        {"an office gone refused nothing", scratch.filePath("gone"), Failure::officeGone(),
         FailureKind::OfficeGone},
    };
    for (const auto& test : cases)
        EXPECT_EQ(StoreFailure(test.folder, test.officeFailure), test.kind) << test.name;

    const QString full = scratch.filePath("full");
    ASSERT_TRUE(QDir().mkpath(full));
    const int status = test::InFullFileSystem(full, [&] {
        try {
            StoreInPrivateFolder(full, [&] { throw refused; });
        } catch (const Failure& failure) {
            return failure.kind() == FailureKind::NoSpace && failure.message().contains(QDir::tempPath()) ? 0
                                                                                                          : 1;
        }
        return 2;
    });
    if (status == test::kNoFullFileSystem) GTEST_SKIP() << "no mount namespace here for a full file system";
    EXPECT_EQ(status, 0) << "a full folder is named as full";
}

}  // namespace
