#include "cli/BatchDocuments.h"

#include "cli/UnattendedPrompts.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include "base/Platform.h"
#include "fsutil/FileHelpers.h"
#include "gather/AddFolderFiles.h"
#include "gather/DocumentSink.h"
#include "gather/PathList.h"

namespace fk::cli {

namespace {

class UniqueDocuments : public DocumentSink {
public:
    explicit UniqueDocuments(QStringList& documents) : documents_(documents) {}
    QStringList texts() const override { return documents_; }
    void AppendDocument(const QString& path) override {
        if (seen_.contains(path)) return;
        seen_.insert(path);
        documents_.append(path);
    }

private:
    QStringList& documents_;
    QSet<QString> seen_;
};

// Counts the reports of the folder walk while passing them on.
class CountingPrompts : public UnattendedPrompts {
public:
    explicit CountingPrompts(Prompts& inner) : inner_(inner) {}
    int reports = 0;
    MessageAnswer messageBox(const QString& text, int style, const QString& title) override {
        ++reports;
        return inner_.messageBox(text, style, title);
    }

private:
    Prompts& inner_;
};

QString withoutTrailingSeparators(QString folder) {
    while (folder.endsWith(platform::kPathSeparator)) folder.chop(1);
    return folder;
}

}  // namespace

BatchDocuments CollectDocuments(const QStringList& inputs, const QString& workingFolder,
                                FileSystem& fileSystem, Prompts& prompts) {
    BatchDocuments result;
    UniqueDocuments documents(result.documents);
    CountingPrompts counting(prompts);
    const QDir working(workingFolder);
    for (const QString& input : inputs) {
        const QString path = NormalizePath(QDir::cleanPath(working.absoluteFilePath(input)));
        if (fileSystem.folderExists(path)) {
            const int before = counting.reports;
            AddWriterDocumentsInFolder(withoutTrailingSeparators(path), QStringLiteral("*"), documents,
                                       fileSystem, counting, [] {});
            if (counting.reports != before)
                result.problems << input + QStringLiteral(": not every folder could be read");
        } else if (fileSystem.fileExistsEx(path)) {
            documents.AppendDocument(path);
        } else {
            result.problems << input + QStringLiteral(": no such file or folder, or not readable");
        }
    }
    return result;
}

QList<QStringList> GroupBySharedOutputNames(const QStringList& documents) {
    QList<QStringList> groups;
    QHash<QString, qsizetype> groupOfName;
    for (const QString& document : documents) {
        const QString name = RemoveExtension(GetFileNameFromPath(document));
        const auto found = groupOfName.constFind(name);
        if (found != groupOfName.cend()) {
            groups[*found].append(document);
        } else {
            groupOfName.insert(name, groups.size());
            groups.append(QStringList{document});
        }
    }
    return groups;
}

}  // namespace fk::cli
