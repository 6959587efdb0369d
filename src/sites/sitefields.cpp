#include "sites/sitefields.h"

#include "sites/sitefield.h"

namespace
{

template <std::size_t N> bool storeText(std::array<char, N> &field, const QString &value)
{
    if (!sitefield::differs(field, value))
        return false;
    sitefield::setText(field, value);
    return true;
}

bool storeInt(std::int32_t &field, int value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

SiteFields SiteFields::fromRecord(const SiteRecord &site, const SiteSettings &settings)
{
    SiteFields fields;
    fields.address = sitefield::text(site.address);
    fields.userId = sitefield::text(site.userId);
    fields.password = sitefield::text(site.sitePassword);
    fields.port = site.port;
    fields.remotePath = sitefield::text(site.remotePath);
    fields.localPath = sitefield::text(site.localPath);
    fields.anonymous = site.anonymous != 0;
    fields.relativePath = site.relativePath != 0;
    fields.encryption = settings.encryption;
    fields.charset = settings.charset;
    fields.keyringKey = settings.keyringKey;
    return fields;
}

bool SiteFields::storeInto(SiteRecord &site) const
{
    bool changed = storeText(site.address, address);
    changed = storeText(site.userId, userId) || changed;
    changed = storeText(site.sitePassword, password) || changed;
    changed = storeInt(site.port, port) || changed;
    changed = storeText(site.remotePath, remotePath) || changed;
    changed = storeText(site.localPath, localPath) || changed;
    // A flag stored by another program as any non-zero value stays as it is while it means "on".
    if ((site.anonymous != 0) != anonymous)
        changed = storeInt(site.anonymous, anonymous ? 1 : 0) || changed;
    if ((site.relativePath != 0) != relativePath)
        changed = storeInt(site.relativePath, relativePath ? 1 : 0) || changed;
    return changed;
}

bool SiteFields::storeInto(SiteRecord &site, SiteSettings &settings) const
{
    const bool changed = storeInto(site);
    if (settings.encryption == encryption && settings.charset == charset)
        return changed;
    settings.encryption = encryption;
    settings.charset = charset;
    return true;
}
