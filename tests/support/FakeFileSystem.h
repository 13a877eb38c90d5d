#pragma once

#include <QMap>

#include "app/FileSystem.h"
#include "app/RuntimeError.h"

namespace fk::test {

// A folder tree in memory, with attributes, listing orders and failures as a test sets them.
class FakeFileSystem : public FileSystem {
public:
    struct Node {
        bool folder = true;
        int attributes = 16;
        bool isRoot = false;
        QList<FileSystem::SubFolder> children;  // in listing order
        int listError = 0;                      // error number of a failing listing
        QString canonical;                      // for links: where they lead
    };

    // Adds a folder "path/" (ending in "/") below its parent, in order.
    Node& addFolder(const QString& path, int attributes = 16, bool alias = false);

    bool folderExists(const QString& path) override {
        return nodes.contains(key(path)) && nodes[key(path)].folder;
    }
    Folder getFolder(const QString& path) override;
    QList<SubFolder> subFolders(const QString& path) override;
    FileNameList filesInFolder(const QString&, const QString&) override { return {}; }
    bool fileExistsEx(const QString&) override { return true; }
    int fileAttributes(const QString& path) override { return getFolder(path).attributes; }
    QString canonicalPath(const QString& path) override;

    static QString key(const QString& path) { return path.endsWith('/') ? path : path + '/'; }

    QMap<QString, Node> nodes;
    QStringList listed;  // folders whose sub-folders were asked for
};

}  // namespace fk::test
