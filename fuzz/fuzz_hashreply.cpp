// The replies to the hash commands (HASH, XSHA256, XSHA1, XMD5, XCRC) and to MDTM, which decide
// whether a transfer is called verified and whether a part may be appended to.
#include "engine/hashreply.h"
#include "engine/modifiedtimereply.h"
#include "fuzzcheck.h"

namespace
{

bool lowerHex(const QByteArray &text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const HashAlgorithm algorithm :
         {HashAlgorithm::Sha256, HashAlgorithm::Sha1, HashAlgorithm::Md5, HashAlgorithm::Crc32}) {
        for (const bool viaHash : {false, true}) {
            const HashCommand command{algorithm, viaHash};
            const std::optional<QByteArray> digest = ParseHashReply(reply, command);
            if (!digest)
                continue;
            // A claim is a whole digest of the algorithm asked for, and nothing else.
            FUZZ_CHECK(digest->size() == hashHexLength(algorithm));
            FUZZ_CHECK(lowerHex(*digest));
            FUZZ_CHECK(reply.toLower().contains(*digest));
            const QByteArray again = viaHash ? "213 " + hashAlgorithmName(algorithm) + " 0-1 " + *digest + " f"
                                             : "213 " + *digest;
            FUZZ_CHECK(ParseHashReply(again, command) == digest);
        }
    }
    if (const std::optional<QByteArray> time = ParseModifiedTimeReply(reply)) {
        FUZZ_CHECK(time->size() == 14);
        FUZZ_CHECK(reply.contains(*time));
        FUZZ_CHECK(ParseModifiedTimeReply("213 " + *time) == time);
    }
    return 0;
}
