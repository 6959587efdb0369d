#include "sites/siterecord.h"

#include "sites/sitebytes.h"
#include "sites/sitefield.h"

#include "platform/uitext.h"

using namespace sitebytes;

SiteRecord SiteRecord::make(int folder)
{
    SiteRecord site;
    site.folderIndex = folder;
    sitefield::setText(site.siteName, UiText::tr("FTP site"));
    site.port = 21;
    return site;
}

QByteArray SiteRecord::toBytes() const
{
    QByteArray out(size, '\0');
    putInt(out, 0, folderIndex);
    putArray(out, 4, siteName);
    putArray(out, 34, address);
    putArray(out, 84, userId);
    putArray(out, 114, sitePassword);
    putArray(out, 134, padding);
    putInt(out, 136, port);
    putArray(out, 140, remotePath);
    putArray(out, 400, localPath);
    putInt(out, 660, anonymous);
    putInt(out, 664, relativePath);
    putArray(out, 668, reserved);
    return out;
}

SiteRecord SiteRecord::fromBytes(const char *bytes)
{
    SiteRecord site;
    site.folderIndex = getInt(bytes, 0);
    getArray(bytes, 4, site.siteName);
    getArray(bytes, 34, site.address);
    getArray(bytes, 84, site.userId);
    getArray(bytes, 114, site.sitePassword);
    getArray(bytes, 134, site.padding);
    site.port = getInt(bytes, 136);
    getArray(bytes, 140, site.remotePath);
    getArray(bytes, 400, site.localPath);
    site.anonymous = getInt(bytes, 660);
    site.relativePath = getInt(bytes, 664);
    getArray(bytes, 668, site.reserved);
    return site;
}

SiteRecord SiteRecord::fromBytes010(const char *bytes)
{
    SiteRecord site;
    site.folderIndex = getInt(bytes, 0);
    getText(bytes, 4, site.siteName);
    getText(bytes, 34, site.address);
    getText(bytes, 84, site.userId);
    getText(bytes, 114, site.sitePassword);
    site.port = getInt(bytes, 136);
    getText(bytes, 140, site.remotePath);
    getText(bytes, 400, site.localPath);
    site.anonymous = getInt(bytes, 660);
    return site;
}
