#include "cli/InterruptSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "cli/LibreOfficeJobOffice.h"

namespace fk::cli {

namespace {

std::atomic<int> receivedSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

// Only async-signal-safe calls: sigaction, sigprocmask, raise and _exit.
[[noreturn]] void dieBy(int signalNumber) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);  // a signal whose default action is not to end the program
}

void onSignal(int signalNumber) {
    int none = 0;
    if (receivedSignal.compare_exchange_strong(none, signalNumber)) return;
    // Asked twice: the user does not want to wait for the summary.
    KillJobOfficesFromSignalHandler();
    dieBy(signalNumber);
}

}  // namespace

void InterruptSignals::install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal breaks off are resumed: the threads waiting on the office must not see EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        ::sigaction(signalNumber, nullptr, &before);
        if (before.sa_handler == SIG_IGN) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
    // A write to a pipe nobody reads fails instead of killing the program with its offices running;
    // StandardOutput notes the failure and the run stops as for a signal.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

int InterruptSignals::received() {
    return receivedSignal.load();
}

void InterruptSignals::endBy(int signalNumber) {
    dieBy(signalNumber);
}

}  // namespace fk::cli
