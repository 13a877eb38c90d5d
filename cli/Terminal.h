#pragma once

namespace fk::cli {

// What the terminal a stream goes to can take.
struct Terminal {
    bool redraws = false;  // a line can be drawn again in place: a terminal, and not TERM=dumb
    int columns = 80;      // its width; 80 where it does not say
};

Terminal TerminalOf(int fileDescriptor);

}  // namespace fk::cli
