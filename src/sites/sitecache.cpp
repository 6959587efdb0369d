#include "sites/sitecache.h"

#include <QDir>

bool deleteSiteCache(const QString &folder, const QString &address)
{
    // An empty address would be a prefix of every cached listing of every server.
    if (address.isEmpty())
        return false;
    // The address is matched as plain text, never as a pattern, and only against names inside the
    // cache folder: an address with "*", "?", "/" or ".." reaches no other file.
    QDir cache(folder + QStringLiteral("Cache"));
    bool deleted = false;
    const QStringList names = cache.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.startsWith(address) && name.endsWith(QLatin1String(".ini")))
            deleted = cache.remove(name) || deleted;
    }
    return deleted;
}
