#include "app/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

#include "app/StopOwnOffice.h"

namespace fk {

void ProgramEnd::operator()(int status) const {
    StopOwnOffice(office_);
    exit_(status);
}

void ProgramEnd::ExitAtOnce(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace fk
