#include "split/ProtectedPaths.h"

#include <QDir>
#include <QFileInfo>

namespace fk {

QString ProtectedPaths::entryOf(const QString& path) {
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? QDir::cleanPath(file.absolutePath()) : folder) + QLatin1Char('/') +
           file.fileName();
}

ProtectedPaths::ProtectedPaths(const QStringList& paths) {
    for (const QString& path : paths) {
        entries_.insert(entryOf(path));
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!target.isEmpty()) entries_.insert(target);
    }
}

bool ProtectedPaths::covers(const QString& path) const {
    // A rename replaces the entry at `path` itself and never follows a link there, so the entry is
    // what counts.
    return !entries_.isEmpty() && entries_.contains(entryOf(path));
}

QString ProtectedPaths::refusal(const QString& path) {
    return QStringLiteral("The page document would overwrite an input of this run and was not stored: ") +
           path;
}

}  // namespace fk
