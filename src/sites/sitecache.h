#pragma once

#include <QString>

// Drops every cached listing of the server at `address`: the files in the "Cache" folder of
// `folder` whose names begin with the address and end in ".ini". Returns true when one was deleted.
bool deleteSiteCache(const QString &folder, const QString &address);
