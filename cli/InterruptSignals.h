#pragma once

namespace fk::cli {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP; SIGPIPE is ignored, so that a write to a reader that has gone
// fails (StandardOutput) rather than ending the program with its offices running.
// The first is only noted, so that the run can stop handing out documents, stop its offices, print its
// summary and write its report from the main thread; a second signal stops the offices and ends the
// program at once. Either way the program ends by the signal itself, so that a shell loop around it
// stops as it would for any other tool.
class InterruptSignals {
public:
    // A signal ignored when the program starts (SIGHUP under nohup) stays ignored.
    static void install();
    // The signal received; 0 while none.
    static int received();
    // Ends the program by the signal's default action, as if the signal had never been caught.
    [[noreturn]] static void endBy(int signalNumber);
};

}  // namespace fk::cli
