#include "cli/LibreOfficeJobOffice.h"

#include <signal.h>

#include <array>
#include <atomic>

#include "cli/CommandLine.h"

namespace fk::cli {

namespace {

// The process group of each job's office; 0 when it has none.
std::array<std::atomic<pid_t>, kMaxJobs> officeGroups{};

}  // namespace

LibreOfficeJobOffice::LibreOfficeJobOffice(int job, OfficeOptions options)
    : job_(job), bridge_(std::move(options)) {}

LibreOfficeJobOffice::~LibreOfficeJobOffice() {
    // A command-line run owns its offices: none outlives it.
    officeGroups.at(job_) = 0;
    bridge_.process().stop();
}

void LibreOfficeJobOffice::ensureStarted() {
    bridge_.createServiceManager();
    officeGroups.at(job_) = bridge_.process().groupId();
}

void KillJobOfficesFromSignalHandler() {
    for (auto& group : officeGroups) {
        const pid_t id = group.load();
        if (id > 0) ::kill(-id, SIGKILL);
    }
}

}  // namespace fk::cli
