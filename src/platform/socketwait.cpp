#include "platform/socketwait.h"

#include "platform/durations.h"
#include "platform/workerstop.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace socketwait
{
namespace
{

Result waitFor(int fd, short events, std::chrono::milliseconds timeout)
{
    const bool worker = workerstop::onWorker();
    if (!worker && timeout.count() < 0)
        timeout = durations::get(durations::Kind::UiCommandReply);
    const auto deadline = std::chrono::steady_clock::now() + timeout;

    for (;;) {
        workerstop::throwIfRequested();
        int waitMs = -1;
        if (timeout.count() >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return Result::TimedOut;
            waitMs = static_cast<int>(std::min<long long>(left.count(), 1 << 30));
        }
        pollfd fds[2] = {{fd, events, 0}, {workerstop::wakeDescriptor(), POLLIN, 0}};
        const int n = poll(fds, worker ? 2 : 1, waitMs);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Result::Failed;
        }
        workerstop::throwIfRequested();
        if (n == 0)
            continue; // re-evaluates the deadline
        if (fds[0].revents & POLLNVAL)
            return Result::Failed;
        // Errors and hang-ups count as ready: the read or write that follows reports them.
        if (fds[0].revents)
            return Result::Ready;
    }
}

} // namespace

Result readable(int fd, std::chrono::milliseconds timeout)
{
    return waitFor(fd, POLLIN, timeout);
}
Result writable(int fd, std::chrono::milliseconds timeout)
{
    return waitFor(fd, POLLOUT, timeout);
}

long receive(int fd, char *buffer, std::size_t length, int flags)
{
    for (;;) {
        workerstop::throwIfRequested();
        const ssize_t n = ::recv(fd, buffer, length, flags | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        if (readable(fd) != Result::Ready)
            return -1;
    }
}

void sleep(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        workerstop::throwIfRequested();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        pollfd wake{workerstop::wakeDescriptor(), POLLIN, 0};
        poll(&wake, workerstop::onWorker() ? 1 : 0, static_cast<int>(left.count()));
    }
}

} // namespace socketwait
