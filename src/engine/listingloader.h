#pragma once

#include "engine/ftpconnection.h"
#include "engine/listingparser.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Reads a downloaded listing file and parses it; lines are read whole, however long.
// nullopt when the file cannot be opened.
[[nodiscard]] std::optional<FileRows> ReadListingFile(const QString &path, ListingState &state);

// The file this connection's listings go to.
[[nodiscard]] QString listingFileOf(const FtpConnection &connection);
// LIST (or another listing command) into the listing file, in type A, without failure beeps.
// Returns the result of the retrieval (2 for a completed transfer).
[[nodiscard]] int DownloadListing(FtpConnection &connection, const QByteArray &command);

// The working folder's listing into the listing file: MLSD where the server offers it and the
// listing is wanted for showing, LIST otherwise and when MLSD fails. connection.machineListing
// says which one the file holds.
[[nodiscard]] int DownloadFolderListing(FtpConnection &connection);

// Where the debug copy of a listing goes: DBGLIST.TXT beside the listing file, in the program's
// private temporary folder (the user command DBGLIST asks for one).
[[nodiscard]] QString debugListingPath(const QString &listingFile);
