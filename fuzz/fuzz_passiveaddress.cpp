// The PASV reply parser and the rule that sends a data connection past a server behind NAT.
#include "engine/passiveaddress.h"
#include "fuzzcheck.h"

#include <arpa/inet.h>

#include <cstring>

namespace
{

QByteArray replyFor(const Endpoint &e)
{
    return "227 Entering Passive Mode (" + QByteArray::number(e.address >> 24) + ',' +
           QByteArray::number((e.address >> 16) & 0xFF) + ',' + QByteArray::number((e.address >> 8) & 0xFF) +
           ',' + QByteArray::number(e.address & 0xFF) + ',' + QByteArray::number(e.port >> 8) + ',' +
           QByteArray::number(e.port & 0xFF) + ").";
}

void checkTarget(const Endpoint &offered, std::uint32_t peer)
{
    const Endpoint target = PassiveTarget(offered, peer);
    FUZZ_CHECK(target.port == offered.port);
    FUZZ_CHECK(target.address == offered.address || target.address == peer);
    if (offered.address == peer || peer == 0)
        FUZZ_CHECK(target == offered);
    // A server on the internet that names a private or unset address means itself.
    if (peer != 0 && !IsLocalOnlyAddress(peer) &&
        (offered.address == 0 || IsLocalOnlyAddress(offered.address)))
        FUZZ_CHECK(target.address == peer);
    // A public address offered stands: the data connection may go elsewhere on purpose.
    if (offered.address != 0 && !IsLocalOnlyAddress(offered.address))
        FUZZ_CHECK(target == offered);
    if (peer != 0)
        FUZZ_CHECK(target.address != 0);
}

void checkDotted(std::uint32_t address)
{
    const QByteArray text = DottedAddress(address);
    in_addr parsed{};
    FUZZ_CHECK(inet_pton(AF_INET, text.constData(), &parsed) == 1);
    FUZZ_CHECK(ntohl(parsed.s_addr) == address);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Endpoint> offered = ParsePassiveReply(reply);
    if (offered) {
        // Six numbers need five commas, whatever else the server wrote.
        FUZZ_CHECK(reply.count(',') >= 5);
        FUZZ_CHECK(ParsePassiveReply(replyFor(*offered)) == offered);
        checkDotted(offered->address);
    }

    // The first eight bytes, when there are, stand for the two addresses of the NAT rule.
    if (size >= 8) {
        std::uint32_t a = 0, b = 0;
        std::memcpy(&a, data, 4);
        std::memcpy(&b, data + 4, 4);
        const Endpoint endpoint{a, std::uint16_t(b)};
        checkTarget(endpoint, b);
        checkTarget(endpoint, 0);
        checkTarget(endpoint, a);
        if (offered)
            checkTarget(*offered, a);
        checkDotted(a);
    }
    return 0;
}
