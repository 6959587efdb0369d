#pragma once

#include "engine/socketaddress.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

// What an extended passive reply ("229 Entering Extended Passive Mode (|||6446|)") offers: the
// port, and the protocol and address fields, which are empty in a reply that keeps to the rule
// and never decide where the data connection goes.
struct ExtendedPassiveOffer {
    std::uint16_t port = 0;
    QByteArray protocol;
    QByteArray address;
    bool operator==(const ExtendedPassiveOffer &) const = default;
};

// The text in parentheses after the code: a delimiter (a printable character other than a
// digit), three fields and the port between five such delimiters. Nothing when the port is not
// a number from 1 to 65535 or the shape is another.
[[nodiscard]] std::optional<ExtendedPassiveOffer> ParseExtendedPassiveReply(const QByteArray &reply);

// The argument of EPRT for a listener at `address`: "|1|192.0.2.1|5282|" or "|2|::1|5282|".
[[nodiscard]] QByteArray ExtendedPortArgument(const SocketAddress &address);
