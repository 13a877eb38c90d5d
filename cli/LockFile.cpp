#include "cli/LockFile.h"

#include <QFile>
#include <QFileInfo>

#include "slicer/BoundedFile.h"

namespace fk::cli {

QString LockFile::pathBeside(const QString& documentPath) {
    const QFileInfo document(documentPath);
    return document.absolutePath() + QStringLiteral("/.~lock.") + document.fileName() + QLatin1Char('#');
}

std::optional<QString> LockFile::readBeside(const QString& documentPath) {
    const std::optional<std::string> bytes =
        slicer::ReadFilePrefix(QFile::encodeName(pathBeside(documentPath)).toStdString(), kMaxBytes);
    if (!bytes) return std::nullopt;
    return QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

}  // namespace fk::cli
