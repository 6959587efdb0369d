#pragma once

#include <QUrl>

class QWidget;

// Asks the program's web site whether a newer version exists and tells the user: the update
// dialog, "There is no upgraded version." or "Cannot conect to the homepage.". The window stays
// responsive meanwhile, under the wait cursor, and the status bar of `parent`'s window says that the
// check runs; a second request while one runs is ignored.
void CheckForUpgrade(QWidget *parent);
void CheckForUpgrade(QWidget *parent, const QUrl &versionFile);
