// The listing parser, for every server family: whole or in pieces the rows are the same, a row
// never comes from nothing, and each name is the server's bytes unchanged.
#include "engine/listingparser.h"
#include "fuzzcheck.h"
#include "platform/fileicons.h"

namespace
{

bool sameRow(const FileEntry &a, const FileEntry &b)
{
    return a.texts == b.texts && a.rawName == b.rawName && a.itemData == b.itemData && a.icon == b.icon &&
           a.keys == b.keys && a.numberKeys == b.numberKeys && a.dateKeys == b.dateKeys;
}

bool sameRows(const std::vector<FileEntry> &a, const std::vector<FileEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameRow);
}

// The rows of the lines parsed one at a time. Each name is the bytes where its line's name
// starts, as the server sent them (a folder may lose one trailing slash): RETR and the cache
// must send back those bytes, also when they are no valid UTF-8.
std::vector<FileEntry> lineByLine(const QByteArray &listing, ServerKind kind, int year)
{
    ListingState state(kind);
    state.currentYear = year;
    std::vector<FileEntry> rows;
    for (QByteArray line : listing.split('\n')) {
        std::optional<FileEntry> row = ParseListingLine(line, state);
        if (!row)
            continue;
        if (line.contains('\0'))
            line.truncate(line.indexOf('\0'));
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArrayView listed = NameStart(line, state.nameColumn);
        const bool slashEnded = listed.endsWith('/') || listed.endsWith('\\');
        FUZZ_CHECK(row->nameBytes() == listed ||
                   (row->isFolder() && slashEnded && row->nameBytes() == listed.chopped(1)));
        rows.push_back(std::move(*row));
    }
    return rows;
}

void checkNames(const std::vector<FileEntry> &rows, const QByteArray &listing)
{
    qsizetype nameBytes = 0;
    for (const FileEntry &row : rows) {
        const QByteArray name = row.nameBytes();
        FUZZ_CHECK(!name.isEmpty());
        FUZZ_CHECK(!name.contains('\n') && !name.contains('\0'));
        FUZZ_CHECK(listing.contains(name));
        nameBytes += name.size();
        FUZZ_CHECK(row.isFolder() ? row.text(SizeColumn).isEmpty() : true);
        // A row's texts stay within what its line brought (a size gains a "," per three digits, a
        // control byte is shown as four characters).
        for (const QString &text : row.texts)
            FUZZ_CHECK(text.size() <= 4 * listing.size() + 64);
    }
    FUZZ_CHECK(nameBytes <= listing.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    static constexpr ServerKind kinds[] = {ServerKind::Generic, ServerKind::Exos, ServerKind::UnixListing,
                                           ServerKind::Microsoft};
    const ServerKind kind = kinds[data[0] & 3];
    const int year = 1990 + data[1] % 64;
    const std::uint32_t seed = data[2];
    const QByteArray listing(reinterpret_cast<const char *>(data) + 3, qsizetype(size - 3));

    ListingState whole(kind);
    whole.currentYear = year;
    const std::vector<FileEntry> rows = ParseListing(listing, whole);
    FUZZ_CHECK(qsizetype(rows.size()) <= fuzzcheck::lineCount(listing));
    checkNames(rows, listing);
    // The names' extensions come from the server: what the process keeps of them is capped.
    FUZZ_CHECK(fileicons::cachedTypeCount() <= fileicons::typeCacheLimit);

    // The loader feeds what the data connection delivers, in pieces of any size.
    ListingState fed(kind);
    fed.currentYear = year;
    std::vector<FileEntry> pieceRows;
    ListingLineSplitter splitter(fed, pieceRows);
    for (const QByteArray &piece : fuzzcheck::pieces(listing, seed))
        splitter.feed(piece);
    splitter.finish();
    FUZZ_CHECK(sameRows(rows, pieceRows));
    FUZZ_CHECK(fed.serverKind == whole.serverKind && fed.koreanDates == whole.koreanDates);

    if (listing.size() <= ListingLineSplitter::maxLineLength)
        FUZZ_CHECK(sameRows(rows, lineByLine(listing, kind, year)));

    // CR LF line ends give the rows of LF line ends.
    if (!listing.contains('\r')) {
        QByteArray crlf = listing;
        crlf.replace("\n", "\r\n");
        ListingState state(kind);
        state.currentYear = year;
        FUZZ_CHECK(sameRows(rows, ParseListing(crlf, state)));
    }
    return 0;
}
