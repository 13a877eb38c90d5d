#pragma once

#include <QString>
#include <QStringList>

#include "app/WindowFileHelpers.h"

namespace fk {

// The file-system questions of the folder walk and the folder scans, behind one interface so that
// tests can make attributes, failures and listing orders this machine cannot.
class FileSystem {
public:
    struct Folder {
        bool isRoot = false;
        int attributes = 0;
    };
    struct SubFolder {
        QString name;
        bool alias = false;  // reached through a symbolic link
    };

    virtual ~FileSystem() = default;
    virtual bool folderExists(const QString& path) = 0;
    // Throws Failure 76 when the folder cannot be opened.
    virtual Folder getFolder(const QString& path) = 0;
    // Direct sub-folders in listing order; throws Failure (access denied or not found) when the folder cannot
    // be listed.
    virtual QList<SubFolder> subFolders(const QString& path) = 0;
    virtual FileNameList filesInFolder(const QString& folder, const QString& pattern) = 0;
    virtual bool fileExistsEx(const QString& path) = 0;
    virtual int fileAttributes(const QString& path) = 0;
    // The path with every link resolved; empty when it cannot be resolved.
    virtual QString canonicalPath(const QString& path) = 0;
};

// The machine's own file system.
class LocalFileSystem : public FileSystem {
public:
    bool folderExists(const QString& path) override { return FolderExists(path); }
    Folder getFolder(const QString& path) override;
    QList<SubFolder> subFolders(const QString& path) override;
    FileNameList filesInFolder(const QString& folder, const QString& pattern) override {
        return GetFilesInFolder(folder, pattern);
    }
    bool fileExistsEx(const QString& path) override { return FileExistsEx(path); }
    int fileAttributes(const QString& path) override { return FileAttributes(path); }
    QString canonicalPath(const QString& path) override;
};

}  // namespace fk
