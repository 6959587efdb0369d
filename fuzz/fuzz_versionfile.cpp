// The version file that the upgrade check downloads from the web site.
#include "fuzzcheck.h"
#include "shell/versionfile.h"

#include <climits>

namespace
{

bool anyLineHolds(const QByteArray &body, const char *word)
{
    for (QByteArray line : body.split('\n'))
        if (line.left(versionFileLineLimit).contains(word))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    const VersionFile file = parseVersionFile(body);

    FUZZ_CHECK(file.hasVersion == anyLineHolds(body, "VERSION"));
    FUZZ_CHECK(file.versionText.size() <= 255 && file.releaseText.size() <= 255);
    FUZZ_CHECK(file.downloadAddress.size() <= versionFileLineLimit);
    FUZZ_CHECK(file.downloadAddress == file.downloadAddress.trimmed());
    if (!file.hasVersion)
        FUZZ_CHECK(file.version == 0 && file.versionText.isEmpty());
    if (!file.hasRelease)
        FUZZ_CHECK(!file.release.isValid() && file.releaseText.isEmpty());
    if (file.release.isValid())
        FUZZ_CHECK(file.release.year() >= 1 && file.release.year() <= 9999);

    // Nothing announces more than the newest program; a higher number always counts.
    FUZZ_CHECK(!announcesUpgrade(file, INT_MAX, QDate(9999, 12, 31)));
    if (file.version > INT_MIN)
        FUZZ_CHECK(announcesUpgrade(file, file.version - 1, QDate(9999, 12, 31)));
    FUZZ_CHECK(announcesUpgrade(file, file.version, QDate(1, 1, 1)) ==
               (file.release.isValid() && file.release > QDate(1, 1, 1)));
    return 0;
}
