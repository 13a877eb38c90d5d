#include "app/FileDialogAnswer.h"

#include <QDir>
#include <QFileInfo>

#include "app/Platform.h"

namespace fk {

namespace {

QStringList piecesOf(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath())
        .split(platform::kPathSeparator, Qt::SkipEmptyParts);
}

}  // namespace

QString FileDialogAnswer(const QStringList& chosenPaths) {
    if (chosenPaths.isEmpty()) return {};
    if (chosenPaths.size() == 1) return chosenPaths.first();

    QList<QStringList> paths;
    for (const QString& path : chosenPaths) paths << piecesOf(path);
    // The deepest folder that holds every file: the file names themselves are never part of it.
    QStringList folder = paths.first().mid(0, paths.first().size() - 1);
    for (const QStringList& pieces : paths) {
        qsizetype shared = 0;
        while (shared < folder.size() && shared < pieces.size() - 1 && folder.at(shared) == pieces.at(shared))
            ++shared;
        folder = folder.mid(0, shared);
    }

    QString answer = platform::kPathSeparator + folder.join(platform::kPathSeparator);
    for (const QStringList& pieces : paths)
        answer += QChar(0) + pieces.mid(folder.size()).join(platform::kPathSeparator);
    return answer;
}

}  // namespace fk
