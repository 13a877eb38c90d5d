#include "cli/StandardOutput.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace fk::cli {

namespace {

std::atomic<int> lostError{0};

void note(int error) {
    int none = 0;
    lostError.compare_exchange_strong(none, error);
}

// A pipe reports an error to its writer once its last reader has closed it.
bool readerGone() {
    pollfd output{STDOUT_FILENO, 0, 0};
    return ::poll(&output, 1, 0) == 1 && (output.revents & POLLERR) != 0;
}

}  // namespace

StandardOutput::StandardOutput(int descriptor) : descriptor_(descriptor) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardOutput::writeData(const char* data, qint64 size) {
    // What can no longer be shown is dropped: the run is stopping, and says so on standard error.
    if (lostError.load() != 0) return size;
    qint64 left = size;
    while (left > 0) {
        const ssize_t wrote = ::write(descriptor_, data, static_cast<size_t>(left));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            note(wrote < 0 ? errno : ENOSPC);
            return size;
        }
        data += wrote;
        left -= wrote;
    }
    return size;
}

int StandardOutput::lost() {
    return lostError.load();
}

int StandardOutput::lostOrReaderGone() {
    if (lostError.load() == 0 && readerGone()) note(EPIPE);
    return lostError.load();
}

}  // namespace fk::cli
