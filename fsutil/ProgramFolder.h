#pragma once

#include <QString>

namespace fk {

// The folder that holds the running program file, symbolic links resolved, without a trailing separator.
QString ProgramFolder();

}  // namespace fk
