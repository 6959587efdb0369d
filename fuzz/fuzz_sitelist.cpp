// The site list file in both versions. A version-011 file loaded and saved gives its own bytes
// back; any file loads within its size and saves into a file that loads the same.
//
// The bytes are read and written in memory, through the same reader and writer as the file; the
// file functions themselves (temporary file, backup link, rename) run for one input in 64, chosen
// by the input's bytes so that a finding reproduces.
#include "fuzzcheck.h"
#include "sites/sitelist.h"

#include <QBuffer>
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

SiteFileStatus readBytes(const QByteArray &bytes, SiteList &list)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    return ReadSiteList(buffer, list);
}

bool sameLists(const SiteList &a, const SiteList &b)
{
    return a.folders == b.folders && a.sites == b.sites;
}

// The file functions on disk give what the byte functions gave.
void checkFiles(const QByteArray &bytes, SiteFileStatus status, const SiteList &list, const QByteArray &saved)
{
    writeSiteFile(bytes);
    SiteList fromFile;
    FUZZ_CHECK(LoadSiteList(siteFolder(), fromFile) == status);
    FUZZ_CHECK(sameLists(fromFile, list));
    FUZZ_CHECK(SaveSiteList(siteFolder(), fromFile) == SiteFileStatus::Complete);
    FUZZ_CHECK(readSiteFile() == saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SiteList list;
    const SiteFileStatus status = readBytes(bytes, list);
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

    const QByteArray saved = SiteListBytes(list);
    FUZZ_CHECK(saved.size() == headerSize + 2 * countSize +
                                   qsizetype(list.folders.size()) * SiteFolder::size +
                                   qsizetype(list.sites.size()) * SiteRecord::size);
    FUZZ_CHECK(saved.startsWith(QByteArray("SITEDAT011", headerSize)));
    if (status == SiteFileStatus::Complete && version011)
        FUZZ_CHECK(saved.sliced(headerSize) == bytes.sliced(headerSize, used - headerSize));

    SiteList again;
    FUZZ_CHECK(readBytes(saved, again) == SiteFileStatus::Complete);
    FUZZ_CHECK(sameLists(list, again));
    FUZZ_CHECK(SiteListBytes(again) == saved);

    if (fuzzcheck::hash(data, size) % 64 == 0)
        checkFiles(bytes, status, list, saved);
    return 0;
}
