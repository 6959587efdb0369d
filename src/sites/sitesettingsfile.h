#pragma once

#include "sites/sitelist.h"

#include <QByteArray>
#include <QString>

// The per-site settings file beside "SITELIST.DAT": one text line per site, naming it by its
// folder's name and its own (as stored, percent-escaped), in the order of the site list, so that
// sites of the same name keep their own settings. A site the file does not name gets the
// defaults: a site list from before the file existed, or one another program wrote.
inline constexpr const char *siteSettingsFileName = "SITEOPTS.DAT";

// The file's bytes for `list`: a header line, then one line per site.
[[nodiscard]] QByteArray siteSettingsBytes(const SiteList &list);

// Fills `list.settings` with one entry per site from `bytes`, the defaults where the file has none.
// Lines that cannot be read are skipped; returns how many were. At most
// `siteSettingsMaximumBytes` of the bytes are read.
inline constexpr qsizetype siteSettingsMaximumBytes = 1 << 20;
int readSiteSettings(const QByteArray &bytes, SiteList &list);

// The same from the file in `folder` (a path ending in "/"); a missing file gives the defaults
// and counts nothing as skipped.
int loadSiteSettings(const QString &folder, SiteList &list);

// Replaces the file in `folder` in one step, readable by the user alone; false when it could
// not be written (the previous file then stays as it was).
[[nodiscard]] bool saveSiteSettings(const QString &folder, const SiteList &list);
