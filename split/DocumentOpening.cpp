#include "split/DocumentOpening.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>

#include "split/LockFile.h"
#include "split/OutputNames.h"
#include "split/PasswordProtection.h"
#include "split/PrivateFolder.h"

namespace fk {

QString OwnOfficeProfilesFolder() {
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/folioknife/offices");
}

QString UnsafeLockFileKind(const QString& documentPath) {
    struct stat status {};
    if (::lstat(QFile::encodeName(LockFilePath(documentPath)).constData(), &status) != 0) return {};
    switch (status.st_mode & S_IFMT) {
        case S_IFREG:
            return {};
        case S_IFIFO:
            return QStringLiteral("a named pipe");
        case S_IFLNK:
            return QStringLiteral("a link");
        case S_IFSOCK:
            return QStringLiteral("a socket");
        case S_IFCHR:
        case S_IFBLK:
            return QStringLiteral("a device");
        case S_IFDIR:
            return QStringLiteral("a folder");
        default:
            return QStringLiteral("not a file");
    }
}

bool IsPlainTextFilter(const QString& filterName) {
    return filterName == QLatin1String("Text") || filterName.startsWith(QLatin1String("Text ("));
}

Failure CauseOfRefusal(const QString& path, const Failure& refusal, const QString& ownProfile) {
    // The office cannot write the lock file beside such a document, so it never opens it.
    if (QFileInfo(LockFilePath(path)).fileName().toUtf8().size() > NAME_MAX)
        return {FailureKind::NameTooLong, QStringLiteral("the name is too long for the office's lock file")};
    if (NeedsPassword(path)) return {FailureKind::Password, QStringLiteral("the document needs a password")};
    const QString holder = LockFile::holderOf(path, ownProfile);
    if (!holder.isEmpty()) return {FailureKind::Locked, holder};
    return refusal;
}

office::DocumentRef OpenForSplitting(office::OfficeSession& office, const QString& path,
                                     const office::LoadOptions& options) {
    const QString unsafeLock = UnsafeLockFileKind(path);
    if (!unsafeLock.isEmpty())
        throw Failure(
            FailureKind::LockNotAFile,
            QStringLiteral("%1 is %2").arg(QDir::toNativeSeparators(LockFilePath(path)), unsafeLock));
    office::DocumentStore& documents = office.documents();
    office::DocumentRef document;
    try {
        document = documents.load(ToFileUrl(path), options);
    } catch (const Failure& refusal) {
        // An office that went away refused nothing.
        if (refusal.kind() == FailureKind::OfficeGone) throw;
        const Failure cause = CauseOfRefusal(path, refusal, office.profileFolder());
        // The run found the document when it started: gone now, it was removed or renamed meanwhile.
        struct stat status {};
        if (cause.kind() == refusal.kind() && ::stat(QFile::encodeName(path).constData(), &status) != 0 &&
            (errno == ENOENT || errno == ENOTDIR))
            throw Failure(FailureKind::NotFound, QStringLiteral("the document vanished"));
        // The office loads nothing without room for its own temporary files.
        if (cause.kind() == refusal.kind())
            if (const std::optional<Failure> temporary = TemporaryFolderRefusal()) throw *temporary;
        throw cause;
    }
    const QString filter = documents.filterName(document);
    if (IsPlainTextFilter(filter)) {
        try {
            documents.close(document);
        } catch (const Failure&) {
            // The document is failed either way.
        }
        throw Failure(
            FailureKind::Damaged,
            QStringLiteral("LibreOffice reads it only as plain text (its \"%1\" filter)").arg(filter));
    }
    return document;
}

}  // namespace fk
