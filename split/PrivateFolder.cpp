#include "split/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <system_error>

#include "split/OutputFolderState.h"

namespace fk {

std::optional<files::TemporaryFolder> PrivateFolder(SplitStages& stages) {
    try {
        return std::optional<files::TemporaryFolder>(
            std::in_place,
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-split")).toStdString());
    } catch (const std::system_error& error) {
        stages.fail(SplitStage::Store, 0,
                    QStringLiteral("no private folder can be made in the temporary folder %1 ($TMPDIR): %2")
                        .arg(QDir::tempPath(), QString::fromLocal8Bit(error.code().message())),
                    FailureKindOfErrno(error.code().value()));
        return std::nullopt;
    }
}

std::optional<Failure> TemporaryFolderRefusal(const QString& folder) {
    const QString temporary = QDir::tempPath();
    switch (OutputFolderRefusal(folder.isEmpty() ? temporary : folder)) {
        case FailureKind::NoSpace:
            return Failure(FailureKind::NoSpace,
                           QStringLiteral("the temporary folder %1 ($TMPDIR) is full").arg(temporary));
        case FailureKind::AccessDenied:
            return Failure(
                FailureKind::AccessDenied,
                QStringLiteral("the temporary folder %1 ($TMPDIR) may not be written").arg(temporary));
        case FailureKind::NotFound:
            return Failure(
                FailureKind::NotFound,
                folder.isEmpty()
                    ? QStringLiteral("the temporary folder %1 ($TMPDIR) is gone").arg(temporary)
                    : QStringLiteral("the private folder in %1 ($TMPDIR) was removed").arg(temporary));
        default:
            return std::nullopt;
    }
}

void StoreInPrivateFolder(const QString& folder, const std::function<void()>& store) {
    try {
        store();
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::OfficeGone) throw;
        // The office's words say no more than "access denied" for a full disk: the folder tells.
        if (const std::optional<Failure> refusal = TemporaryFolderRefusal(folder)) throw *refusal;
        throw;
    }
}

}  // namespace fk
