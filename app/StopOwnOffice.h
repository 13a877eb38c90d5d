#pragma once

#include "split/OfficeProcess.h"

namespace fk {

// Ends the office the window started, as the window closes, if it is still the window's own child.
// A start with the user's profile can hand the work over to an office the user already had open;
// that office is the user's and stays.
void StopOwnOffice(OfficeProcess& process);

}  // namespace fk
