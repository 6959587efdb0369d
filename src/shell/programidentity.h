#pragma once

#include <QDate>
#include <QLatin1StringView>

// Who this program is, for the upgrade check and the About box, and where it lives on the web.
namespace programidentity
{

// The version as the version file writes it, read as a decimal number.
inline constexpr QLatin1StringView versionText{"000602"};
inline constexpr int version = 602;
inline const QDate releaseDate{2000, 10, 26};
inline constexpr QLatin1StringView aboutVersion{"v0.6.2"};

inline constexpr QLatin1StringView homepageAddress{"https://tidewell.example.org/"};
inline constexpr QLatin1StringView versionFileAddress{"https://tidewell.example.org/version.txt"};
inline constexpr QLatin1StringView contactAddress{"tidewell@example.org"};

} // namespace programidentity
