#include "app/AddFolderFiles.h"

#include "app/FolderWalk.h"
#include "app/Platform.h"
#include "app/ProcedureTrap.h"
#include "app/SettingsKeys.h"
#include "gather/FolderGathering.h"
#include "gather/PathList.h"

namespace fk {

namespace {

// Hidden and archived, nothing else: lock and backup files some programs leave beside documents.
constexpr int kSkippedAttributes = attr::kArchive | attr::kHidden;

QString withoutLastCharacter(const QString& folder) {
    return folder.left(folder.size() - 1);
}

// Runs steps without any report: the drop handlers have none of their own.
struct QuietSteps {
    template <typename Body>
    bool step(int, Body&& body) {
        try {
            body();
            return true;
        } catch (...) {
            return false;
        }
    }
};

// Appends the files that pass the window's own tests; each failing step costs that step only.
template <typename Steps>
void appendChecked(const QString& path, Steps& steps, int firstLine, DocumentSink& list,
                   FileSystem& fileSystem) {
    bool keep = false;
    steps.step(firstLine + 2, [&] { keep = fileSystem.fileExistsEx(path); });
    if (!keep) return;
    steps.step(firstLine + 4, [&] { keep = fileSystem.fileAttributes(path) != kSkippedAttributes; });
    if (!keep) return;
    steps.step(firstLine + 6, [&] { list.AppendDocument(NormalizePath(path)); });
}

// Appends the files of every walked folder that pass the tests.
template <typename Steps>
void appendFilesOf(const QStringList& folders, const QString& pattern, Steps& steps, int firstLine,
                   DocumentSink& list, FileSystem& fileSystem) {
    for (const QString& entry : folders) {
        const QString folder = withoutLastCharacter(entry);
        FileNameList names;
        if (!steps.step(firstLine, [&] { names = fileSystem.filesInFolder(folder, pattern); })) continue;
        for (int i = 1; i <= names.upperBound(); ++i) {
            const QString name = names.at(i);
            if (name.startsWith(QLatin1Char('~'))) continue;
            appendChecked(folder + platform::kPathSeparator + name, steps, firstLine, list, fileSystem);
        }
    }
}

// Lines 114 to 128 of the folder scan.
void scanFolder(ProcedureTrap& trap, const QString& folder, const QString& extension, DocumentSink& list,
                FileSystem& fileSystem, const std::function<void()>& yield) {
    // The documents of the tree by the program's one rule; the extension the user typed narrows them.
    GatheredFolder gathered;
    trap.step(114, [&] { gathered = GatherFolder(folder, true); });
    const QString pattern = QStringLiteral("*.") + extension;
    for (const QString& path : gathered.documents) {
        trap.step(116, [&] { yield(); });
        if (!MatchesWildcard(GetFileNameFromPath(path), pattern)) continue;
        appendChecked(path, trap, 116, list, fileSystem);
    }
}

}  // namespace

void PushButton6_Click(FolderScanServices& services, DocumentSink& list) {
    ProcedureTrap trap(services.prompts, procedure::kPushButton6);
    QString extension;
    trap.step(100, [&] {
        const QString preset = services.settings.read(settings::kExtension, QStringLiteral("*"));
        extension = services.prompts.inputBox(kExtensionPrompt, QString(), preset);
    });
    if (extension.isEmpty()) return;  // 102
    trap.step(102, [&] { services.settings.write(settings::kExtension, extension); });

    QString folder;
    trap.step(104, [&] {
        const QString lastFolder = services.settings.read(settings::kLastFolder, QString());
        folder = BrowseForFolder(services.prompts, kSelectFolderTitle, lastFolder);
    });
    if (folder.isEmpty()) return;  // 106
    trap.step(108, [&] { services.settings.write(settings::kLastFolder, folder); });

    trap.step(110, [&] { services.pointer.set(WindowPointer::kHourglass); });
    scanFolder(trap, folder, extension, list, services.fileSystem, services.yield);
    trap.step(130, [&] { services.pointer.set(WindowPointer::kDefault); });
}

void AddWriterDocumentsInFolder(const QString& folder, const QString& extension, DocumentSink& list,
                                FileSystem& fileSystem, Prompts& prompts,
                                const std::function<void()>& yield) {
    ProcedureTrap trap(prompts, procedure::kPushButton6);
    scanFolder(trap, folder, extension, list, fileSystem, yield);
}

void AddDroppedPaths(const QStringList& paths, DocumentSink& list, FileSystem& fileSystem, Prompts& prompts,
                     const std::function<void()>& yield) {
    QuietSteps quiet;
    for (const QString& path : paths) {
        bool isFolder = false;
        quiet.step(0, [&] {
            isFolder =
                fileSystem.folderExists(path) && (fileSystem.fileAttributes(path) & attr::kDirectory) != 0;
        });
        if (!isFolder) {
            list.AppendDocument(path);
            continue;
        }
        QStringList folders{path + platform::kPathSeparator};
        GetSubDirectories2016(folders, true, fileSystem, prompts, yield);
        appendFilesOf(folders, QStringLiteral("*.*"), quiet, 0, list, fileSystem);
    }
}

}  // namespace fk
