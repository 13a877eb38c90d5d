#include "gather/Samples.h"

#include <QDir>

#include "fsutil/FileHelpers.h"
#include "gather/PathList.h"

namespace fk {

QString SamplesFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("/Samples");
}

void AppendSampleFiles(DocumentSink& list, const QString& programFolder) {
    const QString folder = SamplesFolder(programFolder);
    // Regular files, hidden ones too (links to them count); no pipes, devices or dangling links.
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    SortNamesAsListed(names);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        if (FileExists(path) && !IsInList(list, path)) list.AppendDocument(path);
    }
}

}  // namespace fk
