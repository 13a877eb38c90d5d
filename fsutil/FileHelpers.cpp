#include "fsutil/FileHelpers.h"

#include <sys/stat.h>

#include <QFile>
#include <algorithm>

namespace fk {

namespace {

bool statPath(const QString& path, struct stat& info) {
    if (path.isEmpty()) return false;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

}  // namespace

bool FileExists(const QString& path) {
    struct stat info {};
    return statPath(path, info);
}

bool FolderExists(const QString& path) {
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

QString RemoveExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? name.left(dot) : name;
}

bool ListedBefore(const QString& left, const QString& right) {
    const int order = QString::compare(left, right, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : left < right;
}

void SortNamesAsListed(QStringList& names) {
    std::sort(names.begin(), names.end(), ListedBefore);
}

}  // namespace fk
