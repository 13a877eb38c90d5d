#include "gather/FolderGathering.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "fsutil/FileHelpers.h"
#include "gather/DocumentExtensions.h"
#include "slicer/PageOrigin.h"

namespace fk {

namespace {

bool isUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QByteArray resolved(const QByteArray& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

// A page this program cut from a document that lies beside it: gathering the folder again must not
// split its own pages once more, nor list them in the window.
bool isOwnPageBesideItsDocument(const QByteArray& path) {
    const std::optional<std::string> origin = slicer::PageOriginOf(path.toStdString());
    if (!origin || origin->empty() || origin->find('/') != std::string::npos) return false;
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray document = path.left(slash + 1) + QByteArray::fromStdString(*origin);
    struct stat info {};
    return ::stat(document.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool leftOut(const QByteArray& name) {
    return name.startsWith('.') || name.startsWith('~');
}

class Gathering {
public:
    Gathering(const QByteArray& root, bool recursive, GatheredFolder& found)
        : rootResolved_(resolved(root)), recursive_(recursive), found_(found) {}

    void folder(const QByteArray& path) {
        struct stat info {};
        if (::stat(path.constData(), &info) != 0) return problem(path, couldNotRead());
        if (!visited_.insert({info.st_dev, info.st_ino}).second) return;

        QList<QByteArray> names;
        {
            const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.constData()), ::closedir);
            if (!dir) return problem(path, couldNotRead());
            while (const dirent* entry = ::readdir(dir.get())) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != ".." && !leftOut(name)) names << name;
            }
        }

        QList<QByteArray> folders;
        for (const QByteArray& name : names) {
            const QByteArray child = path.endsWith('/') ? path + name : path + '/' + name;
            const bool document = HasGatheredExtension(QFile::decodeName(name));
            struct stat link {};
            struct stat target {};
            if (::lstat(child.constData(), &link) != 0) continue;  // gone since it was listed
            if (::stat(child.constData(), &target) != 0) {
                if (document) problem(child, QStringLiteral("link leads nowhere, not split"));
                continue;
            }
            if (S_ISLNK(link.st_mode) && !insideRoot(child)) {
                if (document) problem(child, QStringLiteral("link leads out of the folder, not split"));
                continue;
            }
            if (S_ISDIR(target.st_mode)) {
                if (recursive_) folders << child;
            } else if (document) {
                if (S_ISREG(target.st_mode) && isOwnPageBesideItsDocument(child)) continue;
                if (isUtf8(child))
                    found_.documents << QString::fromUtf8(child);
                else
                    problem(child,
                            QStringLiteral("the name is not valid UTF-8; rename the file to split it"));
            }
        }
        for (const QByteArray& child : folders) {
            if (isUtf8(child))
                folder(child);
            else
                problem(child,
                        QStringLiteral("the folder name is not valid UTF-8; its documents are not split"));
        }
    }

private:
    static QString couldNotRead() {
        return QStringLiteral("folder could not be read: ") + QString::fromLocal8Bit(std::strerror(errno));
    }
    void problem(const QByteArray& path, const QString& text) { found_.problems.append({path, text}); }

    bool insideRoot(const QByteArray& path) const {
        const QByteArray target = resolved(path);
        if (target.isEmpty() || rootResolved_.isEmpty()) return false;
        if (target == rootResolved_) return true;
        const QByteArray prefix = rootResolved_.endsWith('/') ? rootResolved_ : rootResolved_ + '/';
        return target.startsWith(prefix);
    }

    const QByteArray rootResolved_;
    const bool recursive_;
    GatheredFolder& found_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

GatheredFolder GatherFolder(const QString& folder, bool recursive) {
    GatheredFolder found;
    const QByteArray root = QFile::encodeName(folder);
    Gathering(root, recursive, found).folder(root);
    std::sort(found.documents.begin(), found.documents.end(), ListedBefore);
    return found;
}

}  // namespace fk
