#pragma once

#include <functional>

#include "split/OfficeProcess.h"

namespace fk {

// How the window program ends, whether its window closes or a signal asks it to: the office it
// started is stopped (an office the user already had open stays), then the program ends at once.
class ProgramEnd {
public:
    using Exit = std::function<void(int status)>;

    explicit ProgramEnd(OfficeProcess& office, Exit exit = ExitAtOnce)
        : office_(office), exit_(std::move(exit)) {}

    void operator()(int status) const;

    // Every setting is already on disk, and the office runtime's own exit handlers must not race its
    // bridge threads: the program ends without them.
    static void ExitAtOnce(int status);

private:
    OfficeProcess& office_;
    Exit exit_;
};

}  // namespace fk
