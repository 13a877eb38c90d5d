#include "split/DocumentWatchdog.h"

namespace fk {

DocumentWatchdog::DocumentWatchdog(std::function<void()> onExpiry)
    : onExpiry_(std::move(onExpiry)), thread_([this] { watch(); }) {}

DocumentWatchdog::~DocumentWatchdog() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DocumentWatchdog::arm(std::chrono::milliseconds timeout) {
    {
        const std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + timeout;
        armed_ = true;
        expired_ = false;
    }
    changed_.notify_all();
}

void DocumentWatchdog::extend(std::chrono::milliseconds more) {
    {
        const std::lock_guard lock(mutex_);
        if (!armed_) return;
        deadline_ += more;
    }
    changed_.notify_all();
}

bool DocumentWatchdog::disarm() {
    const std::lock_guard lock(mutex_);
    armed_ = false;
    return expired_;
}

void DocumentWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!armed_) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
            std::chrono::steady_clock::now() >= deadline_) {
            armed_ = false;
            expired_ = true;
            // Under the lock, so that disarm() cannot return while the office is being killed.
            onExpiry_();
        }
    }
}

}  // namespace fk
