// The site list file in both versions. A version-011 file loaded and saved gives its own bytes
// back; any file loads within its size and saves into a file that loads the same.
#include "fuzzcheck.h"
#include "sites/sitelist.h"

#include <QDir>
#include <QFile>

namespace
{

constexpr qsizetype headerSize = 11;
constexpr qsizetype countSize = 4;

QString siteFolder()
{
    static const QString folder = fuzzcheck::scratchFolder() + QStringLiteral("/sites/");
    return folder;
}

QByteArray readSiteFile()
{
    QFile file(siteFolder() + QLatin1String(siteListFileName));
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

void writeSiteFile(const QByteArray &bytes)
{
    QDir().mkpath(siteFolder());
    QFile file(siteFolder() + QLatin1String(siteListFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

bool sameLists(const SiteList &a, const SiteList &b)
{
    return a.folders == b.folders && a.sites == b.sites;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    writeSiteFile(bytes);
    SiteList list;
    const SiteFileStatus status = LoadSiteList(siteFolder(), list);
    FUZZ_CHECK(status == SiteFileStatus::Complete || status == SiteFileStatus::Truncated ||
               status == SiteFileStatus::UnknownVersion);
    const bool version011 = bytes.mid(7, 3) == "011";
    const qsizetype recordSize = version011 ? SiteRecord::size : SiteRecord::size010;
    if (status == SiteFileStatus::UnknownVersion) {
        FUZZ_CHECK(list.folders.empty() && list.sites.empty());
        return 0;
    }
    // Every record read came from bytes of the file: a count in the file allocates nothing.
    const qsizetype recordBytes =
        qsizetype(list.folders.size()) * SiteFolder::size + qsizetype(list.sites.size()) * recordSize;
    const qsizetype used = headerSize + 2 * countSize + recordBytes;
    FUZZ_CHECK(recordBytes <= bytes.size());
    if (status == SiteFileStatus::Complete)
        FUZZ_CHECK(used <= bytes.size());

    FUZZ_CHECK(SaveSiteList(siteFolder(), list) == SiteFileStatus::Complete);
    const QByteArray saved = readSiteFile();
    FUZZ_CHECK(saved.size() == headerSize + 2 * countSize +
                                   qsizetype(list.folders.size()) * SiteFolder::size +
                                   qsizetype(list.sites.size()) * SiteRecord::size);
    FUZZ_CHECK(saved.startsWith(QByteArray("SITEDAT011", headerSize)));
    if (status == SiteFileStatus::Complete && version011)
        FUZZ_CHECK(saved.sliced(headerSize) == bytes.sliced(headerSize, used - headerSize));

    SiteList again;
    FUZZ_CHECK(LoadSiteList(siteFolder(), again) == SiteFileStatus::Complete);
    FUZZ_CHECK(sameLists(list, again));
    FUZZ_CHECK(SaveSiteList(siteFolder(), again) == SiteFileStatus::Complete);
    FUZZ_CHECK(readSiteFile() == saved);
    return 0;
}
