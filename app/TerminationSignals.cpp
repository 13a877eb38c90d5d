#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace fk {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler may touch: lock-free atomics only.
std::atomic<int> writeEnd{-1};
std::atomic<int> pendingSignal{0};
std::atomic<OfficeProcess*> ownOffice{nullptr};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<OfficeProcess*>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    int none = 0;
    if (pendingSignal.compare_exchange_strong(none, signalNumber)) {
        const char number = static_cast<char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &number, 1);
        errno = savedErrno;
        return;
    }
    // Asked again before the event loop answered: the user does not want to wait for it.
    if (OfficeProcess* office = ownOffice.load()) office->abandon();
    ::_exit(TerminationSignals::exitStatus(signalNumber));
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Calls the signal breaks off are resumed: the office bridge must not see EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals) ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(OfficeProcess& office, std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    // Close-on-exec, so that the office does not inherit the pipe.
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("folioknife: no pipe for signals: %s", ::strerror(errno));
        return;
    }
    pendingSignal = 0;
    writeEnd = pipe_[1];
    ownOffice = &office;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readPending(); });
    setHandler(onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    setHandler(SIG_DFL);
    notifier_.reset();
    ownOffice = nullptr;
    writeEnd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignals::readPending() {
    char number = 0;
    if (::read(pipe_[0], &number, 1) != 1) return;
    // Answered: a later signal is a first one again.
    pendingSignal = 0;
    onSignal_(number);
}

}  // namespace fk
