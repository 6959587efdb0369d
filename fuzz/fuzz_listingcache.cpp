// The listing cache file and the ini reader under it. A file read, written and read again gives
// the same rows; a listing the parser made comes back from the cache as it was shown. The bytes
// are parsed and made in memory; one input in 64 also goes through the files the pane uses.
#include "controls/sortlistmodel.h"
#include "engine/listingparser.h"
#include "fuzzcheck.h"
#include "panes/listingcache.h"
#include "platform/inifile.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <limits>

namespace
{

constexpr qsizetype valueLimit = IniFile::valueBufferSize - 1;

QString scratchFile(const char *name)
{
    return fuzzcheck::scratchFolder() + QLatin1Char('/') + QLatin1String(name);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// The rows as a cache file holds them: the shown texts, the name's bytes and the kind. The
// attributes lose trailing blanks, as every ini value does.
bool sameCachedRow(const SortListRow &a, const SortListRow &b)
{
    return a.nameBytes() == b.nameBytes() && a.text(0) == b.text(0) && a.text(1) == b.text(1) &&
           a.text(2) == b.text(2) && a.text(3).trimmed() == b.text(3).trimmed() &&
           a.isFolder() == b.isFolder();
}

std::vector<SortListRow> readBack(const QByteArray &bytes)
{
    IniFile ini{QString()};
    ini.parse(bytes);
    return cacheRows(ini).toVector();
}

// The cache file of `rows` as a new file gets it; an ini file that held nothing, given the same
// rows, must come to the same bytes.
QByteArray cacheBytes(const std::vector<SortListRow> &rows)
{
    const auto rowAt = [&rows](qsizetype i) { return rows[size_t(i)]; };
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(streamCacheRows(out, qsizetype(rows.size()), rowAt));
    IniFile empty{QString()};
    setCacheRows(empty, qsizetype(rows.size()), rowAt);
    FUZZ_CHECK(empty.bytes() == out.data());
    return out.data();
}

// Each row's record stays within `valueBound` bytes, and a row whose record the ini file reads
// whole comes back as it went.
void checkRoundTrip(const std::vector<SortListRow> &rows, qsizetype valueBound)
{
    const std::vector<SortListRow> back = readBack(cacheBytes(rows));
    FUZZ_CHECK(back.size() == rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const QByteArray value = cacheValueFromRow(rows[i]);
        FUZZ_CHECK(value.size() <= valueBound);
        // No quoting in the format: a ";" in a field would shift the fields after it.
        if (value.size() <= valueLimit && value.count(';') == 4)
            FUZZ_CHECK(sameCachedRow(rows[i], back[i]));
    }
}

// Saving a loaded ini file writes every line as read, with LF line ends, and loses no value.
void checkIniSave(const IniFile &ini, const QByteArray &bytes)
{
    QByteArray expected;
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.endsWith('\n') || bytes.isEmpty())
        lines.removeLast();
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        expected += line + '\n';
    }
    const QByteArray saved = ini.bytes();
    FUZZ_CHECK(saved == expected);

    IniFile again{QString()};
    again.parse(saved);
    for (const QByteArray &key : ini.keys(ListingCache::section)) {
        const QByteArray value = ini.value(ListingCache::section, key);
        FUZZ_CHECK(value.size() <= valueLimit);
        FUZZ_CHECK(again.value(ListingCache::section, key) == value);
    }
}

bool sameRows(const std::vector<SortListRow> &a, const std::vector<SortListRow> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const SortListRow &x, const SortListRow &y) {
        return x.texts == y.texts && x.rawName == y.rawName && x.itemData == y.itemData && x.icon == y.icon;
    });
}

// The files the pane really reads and writes give what the bytes gave: the file as found, and
// the rows written over it (an existing file goes through IniFile, keys beyond COUNT stay).
void checkFiles(const QByteArray &bytes, const std::vector<SortListRow> &rows)
{
    const QString path = scratchFile("cache.ini");
    writeFile(path, bytes);
    std::optional<std::vector<SortListRow>> read = readCacheFile(path);
    FUZZ_CHECK(read && sameRows(*read, rows));
    SortListModel model;
    model.setRows(rows);
    FUZZ_CHECK(writeCacheFile(path, model));
    IniFile expected{QString()};
    expected.parse(bytes);
    setCacheRows(expected, qsizetype(rows.size()), [&rows](qsizetype i) { return rows[size_t(i)]; });
    FUZZ_CHECK(readFile(path) == expected.bytes());
    QFile::remove(path);
    FUZZ_CHECK(writeCacheFile(path, model));
    FUZZ_CHECK(readFile(path) == cacheBytes(rows));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    if (data[0] & 1) {
        // A listing from a server, as the remote pane caches it.
        ListingState state(ServerKind(data[0] & 2 ? ServerKind::Microsoft : ServerKind::Generic));
        state.currentYear = 2020;
        checkRoundTrip(ParseListing(bytes, state), std::numeric_limits<qsizetype>::max());
        return 0;
    }

    // A cache file as found on disk.
    IniFile ini{QString()};
    ini.parse(bytes);
    const std::vector<SortListRow> rows = cacheRows(ini).toVector();
    FUZZ_CHECK(qsizetype(rows.size()) <= fuzzcheck::lineCount(bytes));
    checkRoundTrip(rows, 3 * (valueLimit + 4));
    checkIniSave(ini, bytes);
    // Through real files for one input in 64, chosen by the input so that a finding reproduces.
    if (fuzzcheck::hash(data, size) % 64 == 0)
        checkFiles(bytes, rows);
    return 0;
}
