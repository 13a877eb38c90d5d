#include "split/OfficeSession.h"

#include <QFileInfo>
#include <QUrl>

namespace fk {

QString ToFileUrl(const QString& path) {
    // The office resolves relative paths against its own working folder, not ours.
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

office::PropertyValue LinksFrom(const QString& finalPath) {
    return {QStringLiteral("DocumentBaseURL"), ToFileUrl(finalPath)};
}

}  // namespace fk
