#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace fk {

// A deadline for one document at a time: when it passes before disarm(), the expiry action runs
// (on the watchdog's own thread, since the document's thread is the one that waits for the office).
class DocumentWatchdog {
public:
    explicit DocumentWatchdog(std::function<void()> onExpiry);
    ~DocumentWatchdog();
    DocumentWatchdog(const DocumentWatchdog&) = delete;
    DocumentWatchdog& operator=(const DocumentWatchdog&) = delete;

    void arm(std::chrono::milliseconds timeout);
    // Moves an armed deadline later by `more`; nothing when none is armed or it has passed.
    void extend(std::chrono::milliseconds more);
    // Returns whether the deadline passed; once it returns, the expiry action is not running.
    bool disarm();

private:
    void watch();

    std::function<void()> onExpiry_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::chrono::steady_clock::time_point deadline_;
    bool armed_ = false;
    bool expired_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace fk
