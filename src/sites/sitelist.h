#pragma once

#include "sites/sitefolder.h"
#include "sites/siterecord.h"
#include "sites/sitesettings.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

// The user's servers in folders, as the Site Manager holds them while it is open.
struct SiteList {
    std::vector<SiteFolder> folders;
    std::vector<SiteRecord> sites;
    // The settings of each site, at the same positions as `sites`, from the settings file beside
    // the site file (sitesettingsfile.h); whatever changes `sites` changes these alike. Shorter
    // than `sites` until they are loaded: a site without an entry has the defaults.
    std::vector<SiteSettings> settings;
};

// Adds a site with the default settings, and removes one with its settings.
void appendSite(SiteList &list, const SiteRecord &site);
void removeSite(SiteList &list, size_t index);

inline constexpr const char *siteListFileName = "SITELIST.DAT";
inline constexpr const char *siteListTempName = "SITE$.DAT";
inline constexpr const char *siteListBackupName = "SITELIST.BAK";

enum class SiteFileStatus {
    Complete,       // the whole file was read or written
    Missing,        // no site file: one default folder, nothing written
    UnknownVersion, // message 191; both lists empty
    Truncated,      // the complete records before the cut were loaded
    CannotWrite,    // message 183; the previous file stays as it was
    CannotReplace,  // the new list is in "SITE$.DAT"; the previous file stays in place
};

// Fills `list` (empty on entry) from "SITELIST.DAT" in `folder` (a path ending in "/").
// Shows no message: the caller reports what the status says.
[[nodiscard]] SiteFileStatus LoadSiteList(const QString &folder, SiteList &list);

// The same from the bytes of a site file, wherever they are (the fuzz target reads them from
// memory); never Missing.
[[nodiscard]] SiteFileStatus ReadSiteList(QIODevice &in, SiteList &list);
// The bytes SaveSiteList writes: always version 011.
[[nodiscard]] QByteArray SiteListBytes(const SiteList &list);

// The same in the program's data folder.
[[nodiscard]] SiteFileStatus LoadSiteList(SiteList &list);

// Writes `list` to "SITE$.DAT", keeps the previous file as "SITELIST.BAK" and puts the new one
// in its place. The files are readable by the user alone.
[[nodiscard]] SiteFileStatus SaveSiteList(const QString &folder, const SiteList &list);
[[nodiscard]] SiteFileStatus SaveSiteList(const SiteList &list);

// The message box for a status that the user must hear about (191, 183, the file error);
// nothing for the others.
void reportSiteFileStatus(SiteFileStatus status);
