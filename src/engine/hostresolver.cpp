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

std::vector<SocketAddress> systemLookup(const QByteArray &name)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return {};
    std::vector<SocketAddress> addresses;
    for (const addrinfo *entry = found; entry && addresses.size() < maxAddresses; entry = entry->ai_next)
        if (entry->ai_family == AF_INET || entry->ai_family == AF_INET6)
            addresses.push_back(SocketAddress::fromSockaddr(entry->ai_addr, entry->ai_addrlen));
    freeaddrinfo(found);
    return addresses;
}

std::vector<SocketAddress> capped(std::vector<SocketAddress> addresses)
{
    if (addresses.size() > maxAddresses)
        addresses.resize(maxAddresses);
    return addresses;
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
    std::vector<SocketAddress> addresses;
    ~Pending()
    {
        if (ready >= 0)
            ::close(ready);
    }
};

} // namespace

std::vector<SocketAddress> resolve(const QByteArray &name)
{
    const Lookup lookup = currentLookup();
    if (!workerstop::onWorker())
        return capped(lookup(name));
    auto pending = std::make_shared<Pending>();
    if (pending->ready < 0)
        return capped(lookup(name));
    std::thread([pending, lookup, name] {
        std::vector<SocketAddress> addresses = lookup(name);
        {
            std::lock_guard lock(pending->mutex);
            pending->addresses = std::move(addresses);
        }
        const std::uint64_t one = 1;
        (void)::write(pending->ready, &one, sizeof one);
    }).detach();
    // A stop request ends this wait by WorkerStopped; the lookup finishes on its own later.
    if (socketwait::readable(pending->ready) != socketwait::Result::Ready)
        return {};
    std::lock_guard lock(pending->mutex);
    return capped(std::move(pending->addresses));
}

QString bareHost(const QString &host)
{
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        return host.mid(1, host.size() - 2);
    return host;
}

void setLookupForTest(Lookup lookup)
{
    std::lock_guard lock(lookupMutex);
    testLookup = std::move(lookup);
}

} // namespace hostresolver
