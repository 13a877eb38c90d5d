#include "split/DocumentOpening.h"

#include <QDir>
#include <QFileInfo>
#include <climits>

#include "split/LockFile.h"
#include "split/OutputNames.h"
#include "split/PasswordProtection.h"

namespace fk {

QString OwnOfficeProfilesFolder() {
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/folioknife/offices");
}

Failure CauseOfRefusal(const QString& path, const Failure& refusal) {
    // The office cannot write the lock file beside such a document, so it never opens it.
    if (QFileInfo(LockFilePath(path)).fileName().toUtf8().size() > NAME_MAX)
        return {FailureKind::NameTooLong, QStringLiteral("the name is too long for the office's lock file")};
    if (NeedsPassword(path)) return {FailureKind::Password, QStringLiteral("the document needs a password")};
    const QString holder = LockFile::holderOf(path, OwnOfficeProfilesFolder());
    if (!holder.isEmpty()) return {FailureKind::Locked, holder};
    return refusal;
}

office::DocumentRef OpenForSplitting(office::DocumentStore& documents, const QString& path,
                                     const office::LoadOptions& options) {
    try {
        return documents.load(ToFileUrl(path), options);
    } catch (const Failure& refusal) {
        // An office that went away refused nothing.
        if (refusal.kind() == FailureKind::OfficeGone) throw;
        throw CauseOfRefusal(path, refusal);
    }
}

}  // namespace fk
