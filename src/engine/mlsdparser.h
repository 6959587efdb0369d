#pragma once

#include "engine/listingparser.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>

// MLSD lines ("type=file;size=1234;modify=20240131120000; name") into the rows LIST lines give:
// the name as bytes (everything after the first blank, leading blanks, semicolons and any other
// bytes included), the size, the UTC time shown in local time, and the attributes from UNIX.mode
// or else perm. Fact names and the type's value are read in any case.

// One line without its line end; nullopt for the folder itself and its parent (cdir, pdir, "."
// and ".."), for other kinds than files, folders and links, and for a line that names nothing
// (counted in state.unnamedLines). A size or time that cannot be read is left empty and counted
// in state.unreadableFacts.
[[nodiscard]] std::optional<FileEntry> ParseMlsdLine(QByteArrayView line, ListingState &state);

// A time fact "YYYYMMDDHHMMSS" (a fraction of a second after a "." allowed) as seconds since
// 1970 in UTC; nothing when it is no such time or out of range.
[[nodiscard]] std::optional<std::int64_t> ParseFactTime(QByteArrayView value);

// The value of one fact of an MLSD or MLST line (the name in any case), or nothing.
[[nodiscard]] std::optional<QByteArrayView> FactValue(QByteArrayView line, QByteArrayView fact);
