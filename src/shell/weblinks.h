#pragma once

#include <QString>
#include <QUrl>

// Addresses handed to the user's browser. Only http and https addresses with a host leave the
// program: an address read from the network could otherwise name a local file or a program.
[[nodiscard]] bool isWebAddress(const QUrl &address);

// Opens the download address announced by the version file; anything that is not a web address
// is refused in the session log. Returns whether it was handed to the browser.
bool openDownloadAddress(const QString &address);

void openHomepage();
