#include "engine/passiveaddress.h"

#include <cctype>

namespace
{

// Reads one decimal number the way "%d" does (leading blanks and a sign allowed) and keeps it
// modulo 256, so that no length of digits can overflow.
bool readNumber(const char *&p, const char *end, int &value)
{
    while (p < end && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p == end || !std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    unsigned byte = 0;
    while (p < end && std::isdigit(static_cast<unsigned char>(*p)))
        byte = (byte * 10 + unsigned(*p++ - '0')) & 0xFF;
    value = int(negative ? (256 - byte) & 0xFF : byte);
    return true;
}

} // namespace

std::optional<Endpoint> ParsePassiveReply(const QByteArray &reply)
{
    const char *p = reply.constData() + std::min<qsizetype>(4, reply.size());
    const char *end = reply.constData() + reply.size();
    while (p < end && *p != '\0' && !std::isdigit(static_cast<unsigned char>(*p)))
        ++p;
    if (p == end || *p == '\0')
        return std::nullopt;
    int numbers[6];
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (p == end || *p != ',')
                return std::nullopt;
            ++p;
        }
        if (!readNumber(p, end, numbers[i]))
            return std::nullopt;
    }
    Endpoint endpoint;
    endpoint.address = std::uint32_t(numbers[0]) << 24 | std::uint32_t(numbers[1]) << 16 |
                       std::uint32_t(numbers[2]) << 8 | std::uint32_t(numbers[3]);
    endpoint.port = std::uint16_t(numbers[4] * 256 + numbers[5]);
    return endpoint;
}

bool IsLocalOnlyAddress(std::uint32_t address)
{
    const auto in = [address](std::uint32_t network, int bits) {
        return (address >> (32 - bits)) == (network >> (32 - bits));
    };
    return in(0x0A000000, 8)      // 10/8
           || in(0xAC100000, 12)  // 172.16/12
           || in(0xC0A80000, 16)  // 192.168/16
           || in(0x7F000000, 8)   // 127/8
           || in(0xA9FE0000, 16); // 169.254/16
}

Endpoint PassiveTarget(const Endpoint &offered, std::uint32_t peerAddress)
{
    if (offered.address == peerAddress || peerAddress == 0)
        return offered;
    if (offered.address == 0 || (IsLocalOnlyAddress(offered.address) && !IsLocalOnlyAddress(peerAddress)))
        return {peerAddress, offered.port};
    return offered;
}

QByteArray DottedAddress(std::uint32_t address)
{
    return QByteArray::number(address >> 24) + '.' + QByteArray::number((address >> 16) & 0xFF) + '.' +
           QByteArray::number((address >> 8) & 0xFF) + '.' + QByteArray::number(address & 0xFF);
}
