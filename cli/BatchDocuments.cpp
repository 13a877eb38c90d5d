#include "cli/BatchDocuments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "cli/DocumentContent.h"
#include "cli/NativeNames.h"
#include "fsutil/FileHelpers.h"
#include "gather/FolderGathering.h"
#include "gather/PathList.h"
#include "split/OutputNames.h"

namespace fk::cli {

namespace {

// Asks without opening, so that a named pipe cannot hang the run: the content check reports it.
bool isReadableFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir() && info.isReadable();
}

}  // namespace

BatchDocuments CollectDocuments(const QStringList& inputs, const QString& workingFolder,
                                const NonUtf8Arguments& nonUtf8,
                                const std::function<bool(const QString& path)>& wanted) {
    BatchDocuments result;
    QSet<QString> seen;
    const auto take = [&](const QString& path) {
        if (seen.contains(path)) return;
        seen.insert(path);
        result.inputFiles << path;
        if (wanted && !wanted(path)) return;
        const QString problem = ContentProblem(ExamineDocument(path));
        if (problem.isEmpty())
            result.documents << path;
        else
            result.problems << path + QStringLiteral(": ") + problem;
    };
    const QDir working(workingFolder);
    for (const QString& input : inputs) {
        const auto native = nonUtf8.constFind(input);
        if (native != nonUtf8.cend()) {
            result.problems << DisplayName(*native) +
                                   QStringLiteral(": the name is not valid UTF-8; rename it to split it");
            continue;
        }
        const QString path = NormalizePath(QDir::cleanPath(working.absoluteFilePath(input)));
        if (FolderExists(path)) {
            const GatheredFolder found = GatherFolder(path, true);
            for (const QString& document : found.documents) {
                take(document);
            }
            for (const GatheredFolder::Problem& problem : found.problems)
                result.problems << DisplayName(problem.nativePath) + QStringLiteral(": ") + problem.text;
        } else if (isReadableFile(path)) {
            take(path);
        } else {
            result.problems << input + QStringLiteral(": no such file or folder, or not readable");
        }
    }
    return result;
}

}  // namespace fk::cli
