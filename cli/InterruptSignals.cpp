#include "cli/InterruptSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "cli/LibreOfficeJobOffice.h"

namespace fk::cli {

namespace {

std::atomic<int> receivedSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

void onSignal(int signalNumber) {
    int none = 0;
    if (receivedSignal.compare_exchange_strong(none, signalNumber)) return;
    // Asked twice: the user does not want to wait for the summary.
    KillJobOfficesFromSignalHandler();
    ::_exit(InterruptSignals::exitStatus(signalNumber));
}

}  // namespace

void InterruptSignals::install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal breaks off are resumed: the threads waiting on the office must not see EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
}

int InterruptSignals::received() {
    return receivedSignal.load();
}

}  // namespace fk::cli
