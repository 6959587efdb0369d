#pragma once

#include "engine/loginfields.h"
#include "sites/sitefields.h"

#include <QString>

class QWidget;
class SessionController;

// The login a site stands for.
[[nodiscard]] LoginFields loginFromSite(const SiteFields &site);

// Hands a site to the session: the controller ends a running session first, takes the site's
// login over, then connects.
void ConnectToSite(SessionController &controller, const SiteFields &site);

// Opens the Site Manager over `parent` and, when the user pressed Connect, hands the chosen site
// to the session. Returns whether a connection was requested.
bool OpenSiteManager(QWidget *parent, SessionController &controller);
// The same with the site list of `folder` instead of the program's data folder.
bool OpenSiteManager(QWidget *parent, SessionController &controller, const QString &folder);
