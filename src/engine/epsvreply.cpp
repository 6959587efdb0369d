#include "engine/epsvreply.h"

#include <QList>

namespace
{

// A field of the reply is short: a longer one is no address and no port.
constexpr qsizetype maxFieldLength = 64;

std::optional<std::uint16_t> portNumber(const QByteArray &field)
{
    if (field.isEmpty() || field.size() > 5)
        return std::nullopt;
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return std::uint16_t(value);
}

} // namespace

std::optional<ExtendedPassiveOffer> ParseExtendedPassiveReply(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('(', qMin<qsizetype>(4, reply.size()));
    if (open < 0 || open + 1 >= reply.size())
        return std::nullopt;
    const char delimiter = reply[open + 1];
    if (delimiter < 33 || delimiter > 126 || (delimiter >= '0' && delimiter <= '9') || delimiter == ')')
        return std::nullopt;
    const qsizetype close = reply.indexOf(')', open + 1);
    if (close < 0)
        return std::nullopt;
    const QByteArray inside = reply.mid(open + 1, close - open - 1);
    const QList<QByteArray> fields = inside.split(delimiter);
    // "|a|b|c|" splits into an empty field, the three fields and an empty field.
    if (fields.size() != 5 || !fields[0].isEmpty() || !fields[4].isEmpty())
        return std::nullopt;
    if (fields[1].size() > maxFieldLength || fields[2].size() > maxFieldLength)
        return std::nullopt;
    const std::optional<std::uint16_t> port = portNumber(fields[3]);
    if (!port)
        return std::nullopt;
    return ExtendedPassiveOffer{*port, fields[1], fields[2]};
}

QByteArray ExtendedPortArgument(const SocketAddress &address)
{
    return "|" + QByteArray(address.isIpv6() ? "2" : "1") + "|" + address.text() + "|" +
           QByteArray::number(address.port()) + "|";
}
