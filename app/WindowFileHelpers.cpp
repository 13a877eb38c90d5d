#include "app/WindowFileHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <memory>

#include "base/Failure.h"

namespace fk {

namespace {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

bool statPath(const QString& path, struct stat& info) {
    if (path.isEmpty()) return false;
    return ::stat(nativePath(path).constData(), &info) == 0;
}

QString withTrailingSeparator(const QString& folder, QChar separator) {
    return folder.endsWith(separator) ? folder : folder + separator;
}

bool matchFrom(const QString& name, qsizetype n, const QString& pattern, qsizetype p) {
    while (p < pattern.size()) {
        const QChar pc = pattern.at(p);
        if (pc == QLatin1Char('*')) {
            while (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) ++p;
            if (p == pattern.size()) return true;
            for (qsizetype start = n; start <= name.size(); ++start) {
                if (matchFrom(name, start, pattern, p)) return true;
            }
            return false;
        }
        if (n >= name.size()) return false;
        if (pc != QLatin1Char('?') && pc.toCaseFolded() != name.at(n).toCaseFolded()) return false;
        ++n;
        ++p;
    }
    return n == name.size();
}

}  // namespace

const QString& FileNameList::at(int index) const {
    static const QString empty;
    if (index == 0 && names_.isEmpty()) return empty;
    return names_.at(index - 1);
}

bool FileExistsEx(const QString& path) {
    if (path.isEmpty()) return false;
    // Non-blocking, so that probing a named pipe cannot hang the window.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool isFile = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return isFile;
}

QString GetFileNameFromPath(const QString& path, QChar separator) {
    return path.mid(path.lastIndexOf(separator) + 1);
}

bool MatchesWildcard(const QString& name, const QString& pattern) {
    // "*.*" is how people write "every file"; names without a dot are files too.
    if (pattern == QLatin1String("*.*")) return true;
    return matchFrom(name, 0, pattern, 0);
}

FileNameList GetFilesInFolder(const QString& folder, const QString& pattern, QChar separator) {
    const QString base = withTrailingSeparator(folder, separator);
    FileNameList result;
    if (!FolderExists(base)) return result;

    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(nativePath(base).constData()), ::closedir);
    if (!dir) throw Failure::accessDenied();

    while (const dirent* entry = ::readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
        if (!MatchesWildcard(name, pattern)) continue;
        const QString path = base + name;
        // The listing usually tells the entry's type; ask the file system only when it does not.
        if (entry->d_type != DT_REG) {
            struct stat info {};
            if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
            if (!statPath(path, info) || !S_ISREG(info.st_mode)) continue;
        }
        if (!FileExistsEx(path)) continue;
        if (result.names_.size() == static_cast<qsizetype>(INT32_MAX)) throw Failure::tooMany();
        result.names_.append(name);
    }
    SortNamesAsListed(result.names_);
    return result;
}

int FileAttributes(const QString& path) {
    struct stat link {};
    if (path.isEmpty() || ::lstat(nativePath(path).constData(), &link) != 0) throw Failure::pathNotFound();
    struct stat target = link;
    const bool isLink = S_ISLNK(link.st_mode);
    if (isLink && ::stat(nativePath(path).constData(), &target) != 0) target = link;
    const QByteArray native = nativePath(path);

    int attributes = 0;
    QString name = path;
    while (name.size() > 1 && name.endsWith(platform::kPathSeparator)) name.chop(1);
    const QString baseName = GetFileNameFromPath(name);
    if (baseName.startsWith(QLatin1Char('.'))) attributes |= attr::kHidden;
    if (S_ISDIR(target.st_mode)) {
        attributes |= attr::kDirectory;
        // Dot-folders hold programs' caches, settings and trash, as hidden system folders do
        // elsewhere; this platform has no system attribute of its own.
        if (baseName.startsWith(QLatin1Char('.')) && baseName != QLatin1String(".") &&
            baseName != QLatin1String(".."))
            attributes |= attr::kSystem;
    }
    if (S_ISREG(target.st_mode)) attributes |= attr::kArchive;
    if (isLink) attributes |= attr::kAlias;
    if (::access(native.constData(), W_OK) != 0) attributes |= attr::kReadOnly;
    return attributes;
}

}  // namespace fk
