#pragma once

#include "sites/sitefields.h"

#include <QString>

class QWidget;

// Hands a site to the session: ends a running session first, copies the site's values into the
// login fields of session(), then asks the frame to connect.
void ConnectToSite(const SiteFields &site);

// Opens the Site Manager over `parent` and, when the user pressed Connect, hands the chosen site
// to the session. Returns whether a connection was requested.
bool OpenSiteManager(QWidget *parent);
// The same with the site list of `folder` instead of the program's data folder.
bool OpenSiteManager(QWidget *parent, const QString &folder);
