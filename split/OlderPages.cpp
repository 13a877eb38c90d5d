#include "split/OlderPages.h"

#include <QFileInfo>

#include "split/SplitEngine.h"

namespace fk {

QStringList OlderPagesAfter(const QString& outputFolder, const QString& documentPath, int lastOutputNumber,
                            OutputFormat format) {
    QStringList older;
    if (lastOutputNumber < 1) return older;
    for (int page = lastOutputNumber + 1;; ++page) {
        const QString path = PageFilePath(outputFolder, documentPath, page, format);
        const QFileInfo file(path);
        if (!file.exists() && !file.isSymLink()) break;
        older << path;
    }
    return older;
}

QString OlderPagesText(const QStringList& olderPages) {
    if (olderPages.isEmpty()) return {};
    const QString first = QFileInfo(olderPages.first()).fileName();
    if (olderPages.size() == 1) return first;
    return first + QStringLiteral(" to ") + QFileInfo(olderPages.last()).fileName();
}

}  // namespace fk
