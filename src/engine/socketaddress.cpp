#include "engine/socketaddress.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>

SocketAddress SocketAddress::fromSockaddr(const sockaddr *address, socklen_t length)
{
    SocketAddress result;
    result.length = std::min<socklen_t>(length, sizeof result.storage);
    std::memcpy(&result.storage, address, result.length);
    return result;
}

namespace
{
SocketAddress endOf(int socket, int (*ask)(int, sockaddr *, socklen_t *))
{
    SocketAddress result;
    result.length = sizeof result.storage;
    if (ask(socket, result.data(), &result.length) != 0)
        return {};
    return result;
}
} // namespace

SocketAddress SocketAddress::localOf(int socket)
{
    return endOf(socket, ::getsockname);
}

SocketAddress SocketAddress::peerOf(int socket)
{
    return endOf(socket, ::getpeername);
}

std::uint16_t SocketAddress::port() const
{
    if (family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in *>(&storage)->sin_port);
    if (family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 *>(&storage)->sin6_port);
    return 0;
}

void SocketAddress::setPort(std::uint16_t port)
{
    if (family() == AF_INET)
        reinterpret_cast<sockaddr_in *>(&storage)->sin_port = htons(port);
    else if (family() == AF_INET6)
        reinterpret_cast<sockaddr_in6 *>(&storage)->sin6_port = htons(port);
}

std::uint32_t SocketAddress::ipv4() const
{
    return family() == AF_INET ? ntohl(reinterpret_cast<const sockaddr_in *>(&storage)->sin_addr.s_addr) : 0;
}

QByteArray SocketAddress::text() const
{
    char buffer[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(&storage)->sin_addr, buffer, sizeof buffer);
    else if (family() == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(&storage)->sin6_addr, buffer,
                  sizeof buffer);
    return QByteArray(buffer);
}

bool SocketAddress::sameHost(const SocketAddress &other) const
{
    if (family() != other.family())
        return false;
    if (family() == AF_INET)
        return ipv4() == other.ipv4();
    if (family() == AF_INET6)
        return std::memcmp(&reinterpret_cast<const sockaddr_in6 *>(&storage)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6 *>(&other.storage)->sin6_addr,
                           sizeof(in6_addr)) == 0;
    return false;
}
