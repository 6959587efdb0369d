#include "platform/workerstop.h"

#include <atomic>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace workerstop {
namespace {

std::atomic<bool> stopRequested{false};
thread_local bool isWorker = false;

int eventDescriptor()
{
    static const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd;
}

} // namespace

void beginWorker() { isWorker = true; }
void endWorker() { isWorker = false; }
bool onWorker() { return isWorker; }

void request()
{
    stopRequested = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = write(eventDescriptor(), &one, sizeof one);
}

bool requested() { return stopRequested.load(); }

void clear()
{
    stopRequested = false;
    std::uint64_t value;
    while (read(eventDescriptor(), &value, sizeof value) > 0) {
    }
}

int wakeDescriptor() { return eventDescriptor(); }

void throwIfRequested()
{
    if (isWorker && stopRequested.load())
        throw WorkerStopped{};
}

} // namespace workerstop
