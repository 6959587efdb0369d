// The known-certificates file of the data folder, which anything with the user's rights may have
// damaged.
#include "fuzzcheck.h"
#include "session/knowncertificates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const KnownCertificates known = KnownCertificates::parse(bytes);
    FUZZ_CHECK(known.size() <= 10000);

    // What was kept reads back as itself, and every line written is one that was read.
    const QByteArray written = known.serialized();
    const KnownCertificates again = KnownCertificates::parse(written);
    FUZZ_CHECK(again.size() == known.size());
    FUZZ_CHECK(again.serialized() == written);
    FUZZ_CHECK(written.count('\n') == known.size());
    for (const QByteArray &line : written.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        FUZZ_CHECK(fields.size() == 3);
        FUZZ_CHECK(KnownCertificates::isFingerprint(fields[2]));
        FUZZ_CHECK(again.fingerprintFor(QString::fromUtf8(fields[0]), fields[1].toInt()) == fields[2]);
    }
    return 0;
}
