#include "FakeFileSystem.h"

namespace fk::test {

FakeFileSystem::Node& FakeFileSystem::addFolder(const QString& path, int attributes, bool alias) {
    const QString folder = key(path);
    Node& node = nodes[folder];
    node.attributes = attributes;
    const QString trimmed = folder.left(folder.size() - 1);
    const qsizetype cut = trimmed.lastIndexOf('/');
    if (cut >= 0) {
        const QString parent = trimmed.left(cut + 1);
        if (nodes.contains(parent)) nodes[parent].children.append({trimmed.mid(cut + 1), alias});
    }
    return nodes[folder];
}

FileSystem::Folder FakeFileSystem::getFolder(const QString& path) {
    if (!folderExists(path)) throw Failure::pathNotFound();
    const Node& node = nodes[key(path)];
    return {node.isRoot, node.attributes};
}

QList<FileSystem::SubFolder> FakeFileSystem::subFolders(const QString& path) {
    listed << key(path);
    const Node& node = nodes[key(path)];
    if (node.listError != 0) throw RuntimeError(node.listError, QStringLiteral("listing failed"));
    return node.children;
}

QString FakeFileSystem::canonicalPath(const QString& path) {
    const QString folder = key(path);
    if (!nodes.contains(folder)) return {};
    return nodes[folder].canonical.isEmpty() ? folder : nodes[folder].canonical;
}

}  // namespace fk::test
