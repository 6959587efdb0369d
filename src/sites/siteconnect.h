#pragma once

#include "engine/loginfields.h"
#include "sites/sitefields.h"

#include <QString>

#include <functional>

class QObject;

class QWidget;
class SessionController;

// The login a site stands for.
[[nodiscard]] LoginFields loginFromSite(const SiteFields &site);

// Hands a site to the session: the controller ends a running session first, takes the site's
// login over, then connects. A password kept in the keyring is read first, within the keyring's
// bound; the window goes on meanwhile.
void ConnectToSite(SessionController &controller, const SiteFields &site);

// Calls `done` with the site and its password from the keyring where the site keeps it there,
// without it (and a log line) when the keyring cannot give it, at once when nothing is to be read.
// Nothing is called once `context` has gone.
void fetchSitePassword(const SiteFields &site, QObject *context,
                       std::function<void(const SiteFields &)> done);

// Opens the Site Manager over `parent` and, when the user pressed Connect, hands the chosen site
// to the session. Returns whether a connection was requested.
bool OpenSiteManager(QWidget *parent, SessionController &controller);
// The same with the site list of `folder` instead of the program's data folder.
bool OpenSiteManager(QWidget *parent, SessionController &controller, const QString &folder);
