#include "app/FileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>

#include "base/Failure.h"

namespace fk {

FileSystem::Folder LocalFileSystem::getFolder(const QString& path) {
    if (!FolderExists(path)) throw Failure::pathNotFound();
    Folder folder;
    folder.attributes = FileAttributes(path);
    folder.isRoot = QFileInfo(path).canonicalFilePath() == QLatin1String("/");
    return folder;
}

QList<FileSystem::SubFolder> LocalFileSystem::subFolders(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.constData()), ::closedir);
    if (!dir) throw errno == EACCES ? Failure::accessDenied() : Failure::pathNotFound();
    const QByteArray base = native.endsWith('/') ? native : native + '/';
    QList<SubFolder> folders;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        struct stat link {};
        struct stat target {};
        const QByteArray full = base + name;
        if (::lstat(full.constData(), &link) != 0 || ::stat(full.constData(), &target) != 0) continue;
        if (!S_ISDIR(target.st_mode)) continue;
        folders.append({QFile::decodeName(name), S_ISLNK(link.st_mode)});
    }
    std::sort(folders.begin(), folders.end(), [](const SubFolder& left, const SubFolder& right) {
        return ListedBefore(left.name, right.name);
    });
    return folders;
}

QString LocalFileSystem::canonicalPath(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

}  // namespace fk
