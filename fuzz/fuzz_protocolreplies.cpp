// The reply parsers of the newer commands: EPSV's port, FEAT's list and MDTM's time. What they
// take from a server stays within its caps, and what they read gives the same when written back.
#include "engine/epsvreply.h"
#include "engine/featuresreply.h"
#include "engine/filetimes.h"
#include "engine/mlsdparser.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const std::optional<ExtendedPassiveOffer> offer = ParseExtendedPassiveReply(input)) {
        FUZZ_CHECK(offer->port >= 1);
        FUZZ_CHECK(input.contains(QByteArray::number(offer->port)));
        const QByteArray again = "229 ok (|||" + QByteArray::number(offer->port) + "|)";
        FUZZ_CHECK(ParseExtendedPassiveReply(again)->port == offer->port);
    }

    const FeaturesReply features = ParseFeaturesReply(input.split('\n'));
    const ServerFeatures &f = features.features;
    FUZZ_CHECK(f.hashAlgorithms.size() <= maxHashAlgorithms);
    for (const QByteArray &name : f.hashAlgorithms)
        FUZZ_CHECK(!name.isEmpty() && name.size() <= maxHashNameLength && name == name.toUpper());
    if (!f.answered)
        FUZZ_CHECK(!f.mlsd && !f.mlst && !f.utf8 && !f.size && !f.mdtm && !f.mfmt && !f.restStream &&
                   !f.epsv && !f.eprt && f.hashAlgorithms.isEmpty() && !f.xsha256 && !f.xsha1 && !f.xmd5 &&
                   !f.xcrc);
    FUZZ_CHECK(!(features.malformed && f.answered));
    FUZZ_CHECK(features.mlstFacts.size() <= 64);
    for (const QByteArray &fact : features.mlstSelected)
        FUZZ_CHECK(features.mlstFacts.contains(fact));

    if (const std::optional<std::int64_t> seconds = ParseTimeReply(input)) {
        // A leap second reads as the first second of the next minute.
        const QByteArray digits = input.mid(4).trimmed().left(14);
        if (!digits.endsWith("60"))
            FUZZ_CHECK(FactTimeText(*seconds) == digits);
        FUZZ_CHECK(ParseFactTime(FactTimeText(*seconds)) == seconds);
    }
    return 0;
}
