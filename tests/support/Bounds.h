#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace fk::test {

// The process's peak resident memory so far.
inline long PeakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs `body` on a thread of its own and tells whether it ended in time; a body that hangs (opening a
// named pipe, say) is left behind rather than hanging the tests.
inline bool EndsWithin(std::chrono::milliseconds limit, std::function<void()> body) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread([done, body = std::move(body)] {
        body();
        done->set_value();
    }).detach();
    return ended.wait_for(limit) == std::future_status::ready;
}

// A process id that ran on this host and is gone.
inline pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace fk::test
