#include "session/connectionlimits.h"

#include <algorithm>

QString ConnectionLimits::keyOf(const LoginFields &site)
{
    const QString user = site.anonymousLogin || site.userName.isEmpty() ? QStringLiteral("anonymous") : site.userName;
    return site.serverHost.toLower() + QLatin1Char('\t') + QString::number(site.port) + QLatin1Char('\t') + user;
}

int ConnectionLimits::allowed(const LoginFields &site, int wanted) const
{
    const std::lock_guard lock(mutex_);
    const auto found = limits_.constFind(keyOf(site));
    return std::max(1, found == limits_.constEnd() ? wanted : std::min(wanted, *found));
}

void ConnectionLimits::remember(const LoginFields &site, int connections)
{
    const std::lock_guard lock(mutex_);
    const QString key = keyOf(site);
    const auto found = limits_.constFind(key);
    limits_.insert(key, std::max(1, found == limits_.constEnd() ? connections : std::min(*found, connections)));
}
