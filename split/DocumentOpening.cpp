#include "split/DocumentOpening.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <optional>

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

Failure CauseOfRefusal(const QString& path, const Failure& refusal, const QString& ownProfile) {
    // The office cannot write the lock file beside such a document, so it never opens it.
    if (QFileInfo(LockFilePath(path)).fileName().toUtf8().size() > NAME_MAX)
        return {FailureKind::NameTooLong, QStringLiteral("the name is too long for the office's lock file")};
    if (NeedsPassword(path)) return {FailureKind::Password, QStringLiteral("the document needs a password")};
    const QString holder = LockFile::holderOf(path, ownProfile);
    if (!holder.isEmpty()) return {FailureKind::Locked, holder};
    return refusal;
}

namespace {

std::optional<Failure> UnsafeLockFile(const QString& path) {
    const QString unsafeLock = UnsafeLockFileKind(path);
    if (unsafeLock.isEmpty()) return std::nullopt;
    return Failure(FailureKind::LockNotAFile,
                   QStringLiteral("%1 is %2").arg(QDir::toNativeSeparators(LockFilePath(path)), unsafeLock));
}

// The failure the office's refusal to load the document stands for.
Failure RefusalCause(const office::OfficeSession& office, const QString& path, const Failure& refusal) {
    // An office that went away refused nothing.
    if (refusal.kind() == FailureKind::OfficeGone) return refusal;
    const Failure cause = CauseOfRefusal(path, refusal, office.profileFolder());
    // The run found the document when it started: gone now, it was removed or renamed meanwhile.
    struct stat status {};
    if (cause.kind() == refusal.kind() && ::stat(QFile::encodeName(path).constData(), &status) != 0 &&
        (errno == ENOENT || errno == ENOTDIR))
        return Failure(FailureKind::NotFound, QStringLiteral("the document vanished"));
    // The office loads nothing without room for its own temporary files.
    if (cause.kind() == refusal.kind())
        if (const std::optional<Failure> temporary = TemporaryFolderRefusal()) return *temporary;
    return cause;
}

Failure ReadAsPlainText(const QString& filter) {
    return Failure(FailureKind::Damaged,
                   QStringLiteral("LibreOffice reads it only as plain text (its \"%1\" filter)").arg(filter));
}

}  // namespace

office::DocumentRef OpenForSplitting(office::OfficeSession& office, const QString& path,
                                     const office::LoadOptions& options) {
    if (const std::optional<Failure> unsafe = UnsafeLockFile(path)) throw *unsafe;
    office::DocumentStore& documents = office.documents();
    office::DocumentRef document;
    try {
        document = documents.load(ToFileUrl(path), options);
    } catch (const Failure& refusal) {
        throw RefusalCause(office, path, refusal);
    }
    const QString filter = documents.filterName(document);
    if (office::IsPlainTextFilter(filter)) {
        try {
            documents.close(document);
        } catch (const Failure&) {
            // The document is failed either way.
        }
        throw ReadAsPlainText(filter);
    }
    return document;
}

void PrintForSplitting(office::OfficeSession& office, const QString& path, const office::LoadOptions& options,
                       const QString& targetUrl, const office::Arguments& storeArguments) {
    if (const std::optional<Failure> unsafe = UnsafeLockFile(path)) throw office::LoadRefused(*unsafe);
    QString filter;
    try {
        filter = office.documents().loadAndStore(ToFileUrl(path), options, targetUrl, storeArguments);
    } catch (const office::LoadRefused& refusal) {
        const Failure cause = RefusalCause(office, path, refusal);
        if (cause.kind() == FailureKind::OfficeGone) throw cause;
        throw office::LoadRefused(cause);
    }
    if (office::IsPlainTextFilter(filter)) throw office::LoadRefused(ReadAsPlainText(filter));
}

}  // namespace fk
