#include "gather/Samples.h"

#include "base/Platform.h"
#include "gather/PathList.h"

namespace fk {

QString SamplesFolder(const QString& programFolder) {
    return programFolder + platform::kPathSeparator + QStringLiteral("Samples");
}

void LoadSampleFiles(DocumentSink& list, const QString& programFolder, FileSystem& fileSystem,
                     Prompts& prompts) {
    const QString folder = SamplesFolder(programFolder);
    const FileNameList names = fileSystem.filesInFolder(folder, QStringLiteral("*.*"));
    for (int i = 1; i <= names.upperBound(); ++i) {
        const QString path = folder + platform::kPathSeparator + names.at(i);
        if (FileExists(path) && !IsInList(list, path)) list.AppendDocument(path);
    }
    if (prompts.messageBox(kOpenSamplesQuestion, kYesNo) == MessageAnswer::Yes) {
        prompts.openExternally(folder + platform::kPathSeparator);
    }
}

}  // namespace fk
