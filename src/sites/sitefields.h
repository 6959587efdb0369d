#pragma once

#include "sites/siterecord.h"
#include "sites/sitesettings.h"

#include <QString>

// The connection data of one site as the Site Manager shows it and hands it to the session.
struct SiteFields {
    QString address;
    QString userId;
    QString password;
    int port = 21;
    QString remotePath;
    QString localPath;
    bool anonymous = false;
    bool relativePath = false;
    Encryption encryption = SiteSettings{}.encryption;
    QByteArray charset;
    // Where the keyring keeps the password the site file does not hold; empty when it holds it.
    QString keyringKey;

    static SiteFields fromRecord(const SiteRecord &site, const SiteSettings &settings = {});
    // Stores every value that differs from the record's, each field cleared to its full width
    // first. Returns whether anything changed.
    bool storeInto(SiteRecord &site) const;
    // The same, and the settings kept beside the record.
    bool storeInto(SiteRecord &site, SiteSettings &settings) const;

    bool operator==(const SiteFields &) const = default;
};
