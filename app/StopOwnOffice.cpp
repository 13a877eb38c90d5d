#include "app/StopOwnOffice.h"

#include "split/LeftoverFiles.h"

namespace fk {

void StopOwnOffice(OfficeProcess& process) {
    // Only a running child is ours for sure: after a hand-over or an exit its process group id may
    // already name someone else's processes.
    if (process.state() == OfficeProcess::State::Running) process.stop();
    // The pipe a stopped office listened on stays in the folder; one per window session would pile up.
    RemoveDeadOfficePipes();
}

}  // namespace fk
