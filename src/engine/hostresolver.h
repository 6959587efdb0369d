#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>

// Host name lookup that a stop of the worker interrupts at once. The system resolver cannot be
// interrupted and may hang for its own time-out, so it runs on a thread of its own; the worker
// waits for its answer through the interruptible wait and, when stopped, leaves it behind.
namespace hostresolver
{

// The IPv4 address of `name` (network byte order), or nothing.
[[nodiscard]] std::optional<std::uint32_t> resolve(const QByteArray &name);

// Tests replace the system lookup (for a resolver that hangs); an empty function restores it.
using Lookup = std::function<std::optional<std::uint32_t>(const QByteArray &name)>;
void setLookupForTest(Lookup lookup);

} // namespace hostresolver
