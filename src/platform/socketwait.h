#pragma once

#include <chrono>
#include <cstddef>

// Waits on one socket that a stop request of the worker interrupts (the worker then leaves by
// WorkerStopped). On the window thread, which has no stop request, the wait is bounded instead
// by the window thread's reply limit.
namespace socketwait
{

enum class Result { Ready, TimedOut, Failed };

// A negative timeout means: no limit of its own (the worker's watchdog or a stop ends it).
[[nodiscard]] Result readable(int fd, std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
[[nodiscard]] Result writable(int fd, std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

// One recv that waits only through the interruptible wait above: a stop request or a socket closed
// by the window thread ends it. Returns what recv returns (-1 also on a time-out of the wait).
[[nodiscard]] long receive(int fd, char *buffer, std::size_t length, int flags = 0);

// The worker's interruptible sleep (the reconnect delay). Returns early only by throwing
// WorkerStopped on the worker.
void sleep(std::chrono::milliseconds duration);

} // namespace socketwait
