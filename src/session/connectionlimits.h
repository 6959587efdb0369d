#pragma once

#include "engine/loginfields.h"

#include <QHash>
#include <QString>

#include <mutex>

// How many connections each site took before it refused another login, learned in this run of
// the program and never stored: the next transfer to that site opens no more than that. Any thread.
class ConnectionLimits
{
public:
    // At least 1; the wanted number when nothing was learned.
    [[nodiscard]] int allowed(const LoginFields &site, int wanted) const;
    // Only ever lowers what was learned.
    void remember(const LoginFields &site, int connections);

private:
    [[nodiscard]] static QString keyOf(const LoginFields &site);

    mutable std::mutex mutex_;
    QHash<QString, int> limits_;
};
