#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An auto-reset event: one wait consumes one set.
class Event {
public:
    void set();
    void reset();
    // Returns true when the event was set within the time; consumes it.
    [[nodiscard]] bool wait(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};
