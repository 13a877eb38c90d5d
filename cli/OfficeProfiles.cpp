#include "cli/OfficeProfiles.h"
#include "split/DocumentOpening.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Failure.h"
#include "cli/OfficeProfileSettings.h"

namespace fk::cli {

namespace {
// Enough for every job of many runs at once; beyond it something is wrong with the folder.
constexpr int kMaxSlots = 1024;
}  // namespace

namespace {

// Takes the folder's lock without waiting; -1 when another run holds it.
int tryLock(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder + QStringLiteral(".lock"));
    const int lock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return -1;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        return -1;
    }
    return lock;
}

}  // namespace

OfficeProfiles::OfficeProfiles(const QString& baseFolder, int count, OrphanOffices& orphans,
                               const QString& officeProgramFolder)
    : base_(QDir::cleanPath(QDir(baseFolder).absolutePath())) {
    if (!QDir().mkpath(baseFolder)) throw Failure::fileAccess(baseFolder);
    const std::vector<OfficeSetting> settings = UnattendedOfficeSettings(officeProgramFolder);
    for (int slot = 1; slot <= kMaxSlots && folders_.size() < count; ++slot) {
        const QString folder = baseFolder + QStringLiteral("/%1").arg(slot);
        const int lock = tryLock(folder);
        if (lock < 0) continue;
        locks_.push_back(lock);
        orphans.stopOfficesUsing(folder);
        // Only faster with them: a profile that cannot take them is used as it is.
        WriteOfficeSettings(folder, settings);
        WriteEmptyWriterStatusBar(folder);
        folders_ << folder;
    }
    if (folders_.size() < count)
        throw Failure::fileAccess(QStringLiteral("no free office profile in ") + baseFolder);
}

OfficeProfiles::~OfficeProfiles() {
    for (const int lock : locks_) ::close(lock);
}

bool OfficeProfiles::isStale(const QString& profileFolder) const {
    const QString folder = QDir::cleanPath(QDir(profileFolder).absolutePath());
    for (const QString& own : folders_) {
        if (QDir::cleanPath(QDir(own).absolutePath()) == folder) return true;
    }
    if (QFileInfo(folder).absolutePath() != base_) return false;
    const int lock = tryLock(folder);
    if (lock < 0) return false;
    ::close(lock);
    return true;
}

QString OfficeProfiles::defaultBaseFolder() {
    return OwnOfficeProfilesFolder();
}

}  // namespace fk::cli
