#pragma once

#include <functional>

#include "cli/OfficeProfiles.h"
#include "split/JobOffice.h"
#include "split/LibreOfficeSession.h"

namespace fk::cli {

// A LibreOffice of the job's own, stopped when the job ends. Its process group is published to the
// signal handler, so that an interrupted run leaves no office behind.
class LibreOfficeJobOffice : public JobOffice {
public:
    LibreOfficeJobOffice(int job, OfficeOptions options, const OfficeProfiles& profiles);
    ~LibreOfficeJobOffice() override;

    office::OfficeSession& session() override { return session_; }
    void ensureStarted() override;
    void abandon() override { session_.process().abandon(); }
    void clearStaleLock(const QString& documentPath) override;
    void clearLocksLeftIn(const QString& folder) override;
    void release() override;

private:
    int job_;
    LibreOfficeSession session_;
    const OfficeProfiles& profiles_;
};

// Removes the office's lock file beside a document when the office that wrote it used a profile that
// isStale() names. Any other lock (another user's, the user's own office's) is left alone. Returns
// whether a lock file was removed.
bool RemoveStaleLockFile(const QString& documentPath,
                         const std::function<bool(const QString& profileFolder)>& isStale);

// RemoveStaleLockFile for every lock file in a folder; returns how many were removed.
int RemoveStaleLockFilesIn(const QString& folder,
                           const std::function<bool(const QString& profileFolder)>& isStale);

// Kills every office the jobs have started; async-signal-safe.
void KillJobOfficesFromSignalHandler();

}  // namespace fk::cli
