#pragma once

#include "split/EngineChoice.h"

namespace fk::test {

// The window's choice where a test only picks the method: every page, as OpenDocument.
inline EngineChoice MethodOnly(SplitMethod method) {
    EngineChoice choice;
    choice.method = method;
    return choice;
}

}  // namespace fk::test
