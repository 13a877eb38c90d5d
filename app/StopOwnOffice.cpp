#include "app/StopOwnOffice.h"

#include "split/LeftoverFiles.h"

namespace fk {

void StopOwnOffice(OfficeProcess& process) {
    // A split still under way may see the office go and start another: none may outlive the program.
    process.stopForGood();
    // The pipe a stopped office listened on stays in the folder; one per window session would pile up.
    RemoveDeadOfficePipes();
}

}  // namespace fk
