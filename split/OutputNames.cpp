#include "split/OutputNames.h"

#include <QFileInfo>

#include "base/Platform.h"
#include "fsutil/FileHelpers.h"
#include "slicer/PagePlan.h"

namespace fk {

QString OutputBaseName(const QString& documentPath) {
    return RemoveExtension(GetFileNameFromPath(documentPath));
}

QString PageNumberText(int page) {
    return QStringLiteral("%1").arg(page, slicer::kPageNumberDigits, 10, QLatin1Char('0'));
}

QString PageFileName(const QString& documentPath, int page) {
    return OutputBaseName(documentPath) + QLatin1Char('_') + PageNumberText(page) + QStringLiteral(".odt");
}

QString PageFilePath(const QString& outputFolder, const QString& documentPath, int page) {
    QString folder = outputFolder;
    if (!folder.isEmpty() && !folder.endsWith(platform::kPathSeparator)) folder += platform::kPathSeparator;
    return folder + PageFileName(documentPath, page);
}

QString LockFilePath(const QString& documentPath) {
    const QFileInfo document(documentPath);
    return document.absolutePath() + platform::kPathSeparator + kLockFilePrefix + document.fileName() +
           kLockFileSuffix;
}

}  // namespace fk
