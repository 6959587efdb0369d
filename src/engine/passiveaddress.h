#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// An IPv4 address and port in host byte order.
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint &) const = default;
};

// The six numbers h1,h2,h3,h4,p1,p2 of a PASV reply, read from the fifth character on after the
// first digit (each taken modulo 256); nothing when six comma-separated numbers are not there.
[[nodiscard]] std::optional<Endpoint> ParsePassiveReply(const QByteArray &reply);

// 0.0.0.0, or a private, loopback or link-local address while the control connection's peer is
// none of these: the server sits behind NAT or points elsewhere on purpose. The data connection
// then goes to the peer's address with the reply's port. An address equal to the peer's stands.
[[nodiscard]] Endpoint PassiveTarget(const Endpoint &offered, std::uint32_t peerAddress);

[[nodiscard]] bool IsLocalOnlyAddress(std::uint32_t address);

[[nodiscard]] QByteArray DottedAddress(std::uint32_t address);
