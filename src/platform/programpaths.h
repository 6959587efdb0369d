#pragma once

#include <QString>

// Where the program keeps its files.
namespace programpaths {

// The per-user data folder, with a trailing "/": the site list, the queue files, the listing
// cache and, without a Downloads folder, the download folder "Down" live here. Created (mode 0700) on first use.
QString programFolder();

// A folder of this user's alone (mode 0700, unguessable name), with a trailing "/", for the
// listing download and the debug listing dump. Removed when the process ends.
QString privateTempFolder();

// The file every directory listing is downloaded into before it is parsed: a unique name with
// the prefix "DIR" inside privateTempFolder(). Reserved once per run; the file itself does not
// exist until a listing is downloaded.
QString listingTempFile();

// Reserves the listing file name now (start-up does this; later calls to listingTempFile()
// would otherwise reserve it on first use).
void reserveListingTempFile();

} // namespace programpaths
