#pragma once

#include <QByteArray>

#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

// An IPv4 or IPv6 address with its port, as the socket calls take and give it.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    [[nodiscard]] static SocketAddress fromSockaddr(const sockaddr *address, socklen_t length);
    // The local or the remote end of a connected socket; family 0 when the call fails.
    [[nodiscard]] static SocketAddress localOf(int socket);
    [[nodiscard]] static SocketAddress peerOf(int socket);

    [[nodiscard]] int family() const { return storage.ss_family; }
    [[nodiscard]] bool isIpv6() const { return family() == AF_INET6; }
    [[nodiscard]] std::uint16_t port() const;
    void setPort(std::uint16_t port);
    // The IPv4 address in host byte order; 0 for any other family.
    [[nodiscard]] std::uint32_t ipv4() const;
    // The address alone, as inet_ntop writes it ("127.0.0.1", "::1").
    [[nodiscard]] QByteArray text() const;
    // The same address, port aside.
    [[nodiscard]] bool sameHost(const SocketAddress &other) const;

    [[nodiscard]] const sockaddr *data() const { return reinterpret_cast<const sockaddr *>(&storage); }
    [[nodiscard]] sockaddr *data() { return reinterpret_cast<sockaddr *>(&storage); }
};
