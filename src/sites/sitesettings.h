#pragma once

#include "engine/loginfields.h"

// What a site keeps beyond its record in the site file, whose layout other installations read:
// these live in a file of their own beside it.
struct SiteSettings {
    Encryption encryption = Encryption::ExplicitIfOffered;

    bool operator==(const SiteSettings &) const = default;
};
