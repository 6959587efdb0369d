// The MLSD parser: whole or in pieces the rows are the same, each name is the bytes after the
// first blank of its line, and a size or time is shown only when it was read whole.
#include "engine/listingparser.h"
#include "engine/mlsdparser.h"
#include "fuzzcheck.h"
#include "platform/datetimetext.h"

namespace
{

bool sameRow(const FileEntry &a, const FileEntry &b)
{
    return a.texts == b.texts && a.rawName == b.rawName && a.itemData == b.itemData && a.keys == b.keys;
}

bool onlyDigitsAndCommas(const QString &text)
{
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char(','))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint32_t seed = data[0];
    const QByteArray listing(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    ListingState whole;
    whole.machineListing = true;
    const std::vector<FileEntry> rows = ParseListing(listing, whole);
    FUZZ_CHECK(qsizetype(rows.size()) + whole.unnamedLines <= fuzzcheck::lineCount(listing));

    ListingState fed;
    fed.machineListing = true;
    std::vector<FileEntry> pieceRows;
    ListingLineSplitter splitter(fed, pieceRows);
    for (const QByteArray &piece : fuzzcheck::pieces(listing, seed))
        splitter.feed(piece);
    splitter.finish();
    FUZZ_CHECK(std::equal(rows.begin(), rows.end(), pieceRows.begin(), pieceRows.end(), sameRow));
    FUZZ_CHECK(fed.unnamedLines == whole.unnamedLines && fed.unreadableFacts == whole.unreadableFacts);

    // Line by line: the name is what follows the first blank, byte for byte.
    if (listing.size() <= ListingLineSplitter::maxLineLength) {
        size_t next = 0;
        for (const QByteArray &listed : listing.split('\n')) {
            ListingState state;
            state.machineListing = true;
            const std::optional<FileEntry> row = ParseListingLine(listed, state);
            // The line as the parser reads it: up to a NUL, without one CR at its end.
            QByteArray line = listed.left(listed.contains('\0') ? listed.indexOf('\0') : listed.size());
            if (line.endsWith('\r'))
                line.chop(1);
            if (!row)
                continue;
            FUZZ_CHECK(next < rows.size());
            FUZZ_CHECK(row->nameBytes() == line.mid(line.indexOf(' ') + 1));
            FUZZ_CHECK(sameRow(*row, rows[next]));
            ++next;
            const QString sizeText = row->text(SizeColumn);
            FUZZ_CHECK(onlyDigitsAndCommas(sizeText));
            FUZZ_CHECK(row->isFolder() ? sizeText.isEmpty() : true);
            if (!sizeText.isEmpty())
                FUZZ_CHECK(FactValue(line, "size").has_value());
            if (!row->text(DateTimeColumn).isEmpty())
                FUZZ_CHECK(ParseFactTime(*FactValue(line, "modify")).has_value());
            FUZZ_CHECK(row->text(AttributeColumn).size() == 10);
        }
        FUZZ_CHECK(next == rows.size());
    }
    return 0;
}
