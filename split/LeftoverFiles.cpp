#include "split/LeftoverFiles.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/TemporaryName.h"
#include "split/OfficeProcess.h"

namespace fk {

namespace {

// Whether something listens on the socket at `path`; true when that cannot be told.
bool someoneListens(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return true;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return true;
    const bool refused = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
                         errno == ECONNREFUSED;
    ::close(probe);
    return !refused;
}

}  // namespace

int RemoveDeadOfficePipes(const QString& folder) {
    const QString prefix = QStringLiteral("OSL_PIPE_%1_").arg(::getuid()) + OfficeProcess::kPipeNamePrefix;
    int removed = 0;
    const QDir pipes(folder);
    for (const QString& name : pipes.entryList({prefix + QLatin1Char('*')}, QDir::System | QDir::Hidden)) {
        const QString path = pipes.filePath(name);
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
            info.st_uid != ::getuid())
            continue;
        if (!someoneListens(path) && ::unlink(QFile::encodeName(path).constData()) == 0) ++removed;
    }
    return removed;
}

int RemoveLeftoverTemporaries(const QString& folder) {
    int removed = 0;
    for (const std::filesystem::path& leftover :
         files::LeftoverTemporaries(QFile::encodeName(folder).toStdString())) {
        // A link inside a leftover folder is removed, never followed.
        std::error_code error;
        if (std::filesystem::remove_all(leftover, error) > 0 && !error) ++removed;
    }
    return removed;
}

}  // namespace fk
