#include "split/OutputFolderState.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>

namespace fk {

FailureKind OutputFolderRefusal(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return FailureKind::NotFound;
    if (::access(native.constData(), W_OK | X_OK) != 0) return FailureKind::AccessDenied;
    struct statvfs space {};
    if (::statvfs(native.constData(), &space) == 0) {
        if (space.f_flag & ST_RDONLY) return FailureKind::AccessDenied;
        if (space.f_bavail == 0) return FailureKind::NoSpace;
    }
    return FailureKind::Other;
}

FailureKind OutputRefusal(FailureKind pageFailure, const QString& folder) {
    if (pageFailure == FailureKind::NoSpace) return pageFailure;
    const FailureKind folderState = OutputFolderRefusal(folder);
    if (folderState != FailureKind::Other) return folderState;
    // The folder takes files: a missing or refused path was this page's own.
    return RefusesEveryPage(pageFailure) ? FailureKind::FileAccess : pageFailure;
}

}  // namespace fk
