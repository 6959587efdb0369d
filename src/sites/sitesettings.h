#pragma once

#include "engine/loginfields.h"

#include <QString>

// What a site keeps beyond its record in the site file, whose layout other installations read:
// these live in a file of their own beside it.
struct SiteSettings {
    Encryption encryption = Encryption::ExplicitIfOffered;
    // Where the desktop's keyring keeps the site's password while the site file holds none;
    // empty when the password is in the site file.
    QString keyringKey;
    // The character set of the server's names, as a converter knows it ("CP949", "Shift_JIS");
    // empty for automatic.
    QByteArray charset;

    bool operator==(const SiteSettings &) const = default;
};
