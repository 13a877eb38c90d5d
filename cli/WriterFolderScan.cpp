#include "cli/WriterFolderScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <utility>

#include "cli/NativeNames.h"

namespace fk::cli {

namespace {

class Scan {
public:
    explicit Scan(FolderScanFindings& findings) : findings_(findings) {}

    void folder(const QByteArray& path) {
        struct stat info {};
        if (::stat(path.constData(), &info) != 0) {
            problem(path, QStringLiteral("folder could not be read: ") + errorText());
            return;
        }
        if (!visited_.insert({info.st_dev, info.st_ino}).second) return;

        QList<QByteArray> names;
        {
            const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.constData()), ::closedir);
            if (!dir) {
                problem(path, QStringLiteral("folder could not be read: ") + errorText());
                return;
            }
            while (const dirent* entry = ::readdir(dir.get())) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != ".." && !IsHiddenOrLockName(name)) names << name;
            }
        }
        std::sort(names.begin(), names.end());

        QList<QByteArray> folders;
        for (const QByteArray& name : names) {
            const QByteArray child = path.endsWith('/') ? path + name : path + '/' + name;
            struct stat target {};
            if (::stat(child.constData(), &target) != 0) {
                if (HasWriterExtension(name)) problem(child, QStringLiteral("link leads nowhere, not split"));
                continue;
            }
            if (S_ISDIR(target.st_mode)) {
                folders << child;
            } else if (HasWriterExtension(name)) {
                // Named pipes and devices too: they are reported as when given directly, not skipped.
                if (IsUtf8(child))
                    findings_.documents << QString::fromUtf8(child);
                else
                    problem(child,
                            QStringLiteral("the name is not valid UTF-8; rename the file to split it"));
            }
        }
        for (const QByteArray& child : folders) {
            if (IsUtf8(child))
                folder(child);
            else
                problem(child,
                        QStringLiteral("the folder name is not valid UTF-8; its documents are not split"));
        }
    }

private:
    static QString errorText() { return QString::fromLocal8Bit(std::strerror(errno)); }
    void problem(const QByteArray& path, const QString& text) {
        findings_.problems << DisplayName(path) + QStringLiteral(": ") + text;
    }

    FolderScanFindings& findings_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

bool HasWriterExtension(const QByteArray& nativeName) {
    const QByteArray lower = nativeName.right(4).toLower();
    return nativeName.size() > 4 &&
           (lower == ".odt" || lower == ".ott" || lower == ".stw" || lower == ".sxw");
}

bool IsHiddenOrLockName(const QByteArray& nativeName) {
    return nativeName.startsWith('.') || nativeName.startsWith('~');
}

FolderScanFindings ScanWriterFolder(const QString& folder) {
    FolderScanFindings findings;
    Scan(findings).folder(QFile::encodeName(folder));
    return findings;
}

}  // namespace fk::cli
