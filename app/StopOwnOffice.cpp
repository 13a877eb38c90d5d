#include "app/StopOwnOffice.h"

namespace fk {

void StopOwnOffice(OfficeProcess& process) {
    // Only a running child is ours for sure: after a hand-over or an exit its process group id may
    // already name someone else's processes.
    if (process.state() == OfficeProcess::State::Running) process.stop();
}

}  // namespace fk
