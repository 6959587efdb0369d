#pragma once

#include "platform/datetimetext.h"
#include "platform/filerows.h"
#include "engine/servertypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// One row of the remote list as the listing parser makes it.
using FileEntry = FileRow;
enum RemoteListColumn : int {
    NameColumn = 0,      // a link keeps " -> target"
    SizeColumn = 1,      // "1,234,567"; empty for folders
    DateTimeColumn = 2,  // in the user's locale
    AttributeColumn = 3, // "drwxr-xr-x", or "d---------" / "----------" from Microsoft servers
};

// The parser's state across the lines of one listing.
struct ListingState {
    ServerKind serverKind = ServerKind::Generic; // 6014 switches to 6010 at the first Unix-style line
    int currentYear = 0;                         // for dates shown without a year
    bool koreanDates = false;                    // set by the first line with a Korean day word
    bool koreanUtf8 = false;                     // those words came as UTF-8 rather than CP949
    int nameColumn = 0;                          // of the current line; 0 = not found
    // The lines are MLSD's facts and names rather than LIST's text; the two counts are of lines
    // without a name and of facts that could not be read (left empty rather than shown wrong).
    bool machineListing = false;
    int unnamedLines = 0;
    int unreadableFacts = 0;
    // The character set the names are shown in; empty for automatic.
    QByteArray charset;

    explicit ListingState(ServerKind kind = ServerKind::Generic);

    // Per-listing cache of icons by short extension, so that a large listing asks the type
    // database once per extension.
    QHash<quint64, int> iconsByExtension;
};

// A row with the name, the item data and the icon of a file or a folder; the other columns empty.
[[nodiscard]] FileEntry MakeNamedRow(QByteArrayView name, bool folder, ListingState &state);
// Decimal digits with "," between groups of three, as the Size column shows them.
[[nodiscard]] QString GroupedSizeText(QByteArrayView digits);

// The column where the name of a Unix-style line starts, or 0. May set koreanDates.
[[nodiscard]] int FindNameColumn(QByteArrayView line, ListingState &state);
// Where the name begins, given the line's name column (0 = take the last word).
[[nodiscard]] QByteArrayView NameStart(QByteArrayView line, int nameColumn);
// The size field with "," between groups of three digits.
[[nodiscard]] QByteArray FormatSize(QByteArrayView line, const ListingState &state);
// The line's date and time; zeroKey when the line has no date column, invalidKey when the
// date text does not parse.
[[nodiscard]] datetimetext::Key ParseLineDate(QByteArrayView line, const ListingState &state);

// One line without its line feed; nullopt for lines that give no row ("total", ".", "..", blank).
// An MLSD line when the state says so.
[[nodiscard]] std::optional<FileEntry> ParseListingLine(QByteArrayView line, ListingState &state);

// A whole listing as downloaded. Lines end at LF (a CR before it is dropped) and are read whole,
// however long; a NUL ends a line's text.
[[nodiscard]] std::vector<FileEntry> ParseListing(QByteArrayView data, ListingState &state);

// Feeds a listing in pieces, as read from a file, and keeps the lines whole across pieces.
class ListingLineSplitter
{
public:
    // Lines longer than this are dropped whole rather than cut into pieces.
    static constexpr qsizetype maxLineLength = 1 << 20;

    ListingLineSplitter(ListingState &state, std::vector<FileEntry> &rows);
    ListingLineSplitter(ListingState &state, FileRows &rows);
    void feed(QByteArrayView chunk);
    void finish();

private:
    void parseLine(QByteArrayView line);

    ListingState &state_;
    std::vector<FileEntry> *vector_ = nullptr;
    FileRows *rows_ = nullptr;
    QByteArray partial_;
    bool overlong_ = false;
};

// The working directory as the list shows it: one trailing "/" is removed unless the path is
// "/" or ends in ":/" (a drive root of a Windows server).
[[nodiscard]] QByteArray TrimListingPath(const QByteArray &path);
