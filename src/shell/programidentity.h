#pragma once

// Made by CMake in the shell's include folder of the build.
#include "programversion.h"

#include <QDate>
#include <QLatin1StringView>

// Who this program is, for the upgrade check and the About box, and where it lives on the web.
namespace programidentity
{

// The project's version and release date, set in CMakeLists.txt.
// The version as the version file writes it ("000602" for 0.6.2), read as a decimal number.
inline constexpr int version =
    TIDEWELL_VERSION_MAJOR * 10000 + TIDEWELL_VERSION_MINOR * 100 + TIDEWELL_VERSION_PATCH;
inline const QDate releaseDate{TIDEWELL_RELEASE_YEAR, TIDEWELL_RELEASE_MONTH, TIDEWELL_RELEASE_DAY};
inline constexpr QLatin1StringView aboutVersion{"v" TIDEWELL_VERSION};

inline constexpr QLatin1StringView homepageAddress{TIDEWELL_HOMEPAGE};
inline constexpr QLatin1StringView versionFileAddress{TIDEWELL_HOMEPAGE "version.txt"};
inline constexpr QLatin1StringView contactAddress{"tidewell@example.org"};

} // namespace programidentity
