#pragma once

namespace fk::cli {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP. The first is only noted, so that the run can stop handing out
// documents, stop its offices and print its summary from the main thread; a second one stops the
// offices and ends the program at once.
class InterruptSignals {
public:
    static void install();
    // The signal received; 0 while none was.
    static int received();
    // The exit status of a program that a signal ended: 128 + the signal's number.
    static int exitStatus(int signalNumber) { return 128 + signalNumber; }
};

}  // namespace fk::cli
