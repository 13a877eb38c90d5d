#include "cli/LibreOfficeJobOffice.h"

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QUrl>
#include <array>
#include <atomic>

#include "cli/CommandLine.h"
#include "split/LockFile.h"
#include "split/OutputNames.h"

namespace fk::cli {

namespace {

// The process group of each job's office; 0 when it has none.
std::array<std::atomic<pid_t>, kMaxJobs> officeGroups{};

}  // namespace

LibreOfficeJobOffice::LibreOfficeJobOffice(int job, OfficeOptions options, const OfficeProfiles& profiles)
    : job_(job), session_(std::move(options)), profiles_(profiles) {}

LibreOfficeJobOffice::~LibreOfficeJobOffice() {
    // A command-line run owns its offices: none outlives it.
    officeGroups.at(job_) = 0;
    session_.process().stop();
}

void LibreOfficeJobOffice::release() {
    // Stopping takes the office a moment, which the last pages' writing now hides.
    session_.process().stop();
    officeGroups.at(job_) = 0;
}

void LibreOfficeJobOffice::ensureStarted() {
    session_.reach();
    officeGroups.at(job_) = session_.process().groupId();
}

void LibreOfficeJobOffice::clearStaleLock(const QString& documentPath) {
    RemoveStaleLockFile(documentPath, [this](const QString& folder) { return profiles_.isStale(folder); });
}

void LibreOfficeJobOffice::clearLocksLeftIn(const QString& folder) {
    // Only this job's own: the other jobs' offices are alive and may hold page documents there.
    const QString own = QDir::cleanPath(session_.process().options().profileFolder);
    RemoveStaleLockFilesIn(folder,
                           [&own](const QString& profile) { return QDir::cleanPath(profile) == own; });
}

int RemoveStaleLockFilesIn(const QString& folder,
                           const std::function<bool(const QString& profileFolder)>& isStale) {
    const QString& prefix = kLockFilePrefix;
    int removed = 0;
    const QDir directory(folder);
    for (const QString& name :
         directory.entryList({prefix + QLatin1Char('*') + kLockFileSuffix}, QDir::Files | QDir::Hidden)) {
        const QString document = directory.filePath(name.mid(prefix.size()).chopped(1));
        if (RemoveStaleLockFile(document, isStale)) ++removed;
    }
    return removed;
}

bool RemoveStaleLockFile(const QString& documentPath,
                         const std::function<bool(const QString& profileFolder)>& isStale) {
    const std::optional<QString> lock = LockFile::readBeside(documentPath);
    if (!lock) return false;
    // ",user,host,time,profile URL;" as the office writes it.
    const QString content = lock->trimmed();
    if (!content.endsWith(QLatin1Char(';'))) return false;
    const QUrl profile(content.mid(content.lastIndexOf(QLatin1Char(',')) + 1).chopped(1));
    if (!profile.isLocalFile() || !isStale(profile.toLocalFile())) return false;
    return QFile::remove(LockFile::pathBeside(documentPath));
}

void KillJobOfficesFromSignalHandler() {
    for (auto& group : officeGroups) {
        const pid_t id = group.load();
        if (id > 0) ::kill(-id, SIGKILL);
    }
}

}  // namespace fk::cli
