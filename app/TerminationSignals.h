#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "split/OfficeProcess.h"

namespace fk {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP for the window program. The handler only writes the signal's
// number into a pipe; the event loop reads it and calls `onSignal`, where the office can be stopped
// and the program ended as closing the window ends it. A second signal before the event loop got to
// the first (a start-up or an office call that does not return) kills the office and ends the program
// at once. One instance at a time; the default actions come back when it goes.
class TerminationSignals {
public:
    TerminationSignals(OfficeProcess& office, std::function<void(int signalNumber)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The exit status of a program that a signal ended: 128 + the signal's number.
    static int exitStatus(int signalNumber) { return 128 + signalNumber; }

private:
    void readPending();

    std::function<void(int)> onSignal_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace fk
