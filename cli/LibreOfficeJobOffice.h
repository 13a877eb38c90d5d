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

private:
    int job_;
    LibreOfficeBridge bridge_;
};

// Kills every office the jobs have started; async-signal-safe.
void KillJobOfficesFromSignalHandler();

}  // namespace fk::cli
