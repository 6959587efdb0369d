#pragma once

#include "engine/socketaddress.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// Host name lookup that a stop of the worker interrupts at once. The system resolver cannot be
// interrupted and may hang for its own time-out, so it runs on a thread of its own; the worker
// waits for its answer through the interruptible wait and, when stopped, leaves it behind.
namespace hostresolver
{

// Every address of `name`, IPv6 and IPv4 in the order the system prefers them (ports 0); empty
// when there is none. An address literal ("127.0.0.1", "::1") is its own answer.
[[nodiscard]] std::vector<SocketAddress> resolve(const QByteArray &name);

// A site address or a URL holds an IPv6 literal in brackets ("[::1]"); the name without them.
[[nodiscard]] QString bareHost(const QString &host);

// At most this many addresses are tried: a name with hundreds would split the connect time into
// slices too short for any of them.
inline constexpr std::size_t maxAddresses = 8;

// Tests replace the system lookup (for a resolver that hangs); an empty function restores it.
using Lookup = std::function<std::vector<SocketAddress>(const QByteArray &name)>;
void setLookupForTest(Lookup lookup);

} // namespace hostresolver
