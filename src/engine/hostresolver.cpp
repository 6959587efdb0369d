#include "engine/hostresolver.h"

#include "platform/socketwait.h"
#include "platform/workerstop.h"

#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace hostresolver
{
namespace
{

std::mutex lookupMutex;
Lookup testLookup;

std::optional<std::uint32_t> systemLookup(const QByteArray &name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    const std::uint32_t address = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

Lookup currentLookup()
{
    std::lock_guard lock(lookupMutex);
    return testLookup ? testLookup : Lookup(systemLookup);
}

// What the lookup thread and the waiting worker share; whoever leaves last frees it.
struct Pending {
    int ready = eventfd(0, EFD_CLOEXEC);
    // The eventfd wakes the worker but does not order memory for it: the answer goes under a lock.
    std::mutex mutex;
    std::optional<std::uint32_t> address;
    ~Pending()
    {
        if (ready >= 0)
            ::close(ready);
    }
};

} // namespace

std::optional<std::uint32_t> resolve(const QByteArray &name)
{
    const Lookup lookup = currentLookup();
    if (!workerstop::onWorker())
        return lookup(name);
    auto pending = std::make_shared<Pending>();
    if (pending->ready < 0)
        return lookup(name);
    std::thread([pending, lookup, name] {
        const std::optional<std::uint32_t> address = lookup(name);
        {
            std::lock_guard lock(pending->mutex);
            pending->address = address;
        }
        const std::uint64_t one = 1;
        (void)::write(pending->ready, &one, sizeof one);
    }).detach();
    // A stop request ends this wait by WorkerStopped; the lookup finishes on its own later.
    if (socketwait::readable(pending->ready) != socketwait::Result::Ready)
        return std::nullopt;
    std::lock_guard lock(pending->mutex);
    return pending->address;
}

void setLookupForTest(Lookup lookup)
{
    std::lock_guard lock(lookupMutex);
    testLookup = std::move(lookup);
}

} // namespace hostresolver
