#pragma once

#include "cli/JobOffice.h"
#include "split/LibreOfficeBridge.h"

namespace fk::cli {

// A LibreOffice of the job's own, stopped when the job ends. Its process group is published to the
// signal handler, so that an interrupted run leaves no office behind.
class LibreOfficeJobOffice : public JobOffice {
public:
    LibreOfficeJobOffice(int job, OfficeOptions options);
    ~LibreOfficeJobOffice() override;

    office::OfficeBridge& bridge() override { return bridge_; }
    void ensureStarted() override;
    void abandon() override { bridge_.process().abandon(); }
    void clearAfterLoss(const QString& documentPath) override;

private:
    int job_;
    LibreOfficeBridge bridge_;
};

// Removes the office's lock file beside a document when this profile's office wrote it: an office
// that was killed leaves it behind, and the next office of the profile then refuses the document.
// Another user's or office's lock is left alone. Returns whether a lock file was removed.
bool RemoveStaleLockFile(const QString& documentPath, const QString& profileFolder);

// Kills every office the jobs have started; async-signal-safe.
void KillJobOfficesFromSignalHandler();

}  // namespace fk::cli
