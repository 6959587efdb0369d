#pragma once

#include "sites/siterecord.h"

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

    static SiteFields fromRecord(const SiteRecord &site);
    // Stores every value that differs from the record's, each field cleared to its full width
    // first. Returns whether anything changed.
    bool storeInto(SiteRecord &site) const;

    bool operator==(const SiteFields &) const = default;
};
