#pragma once

#include <QByteArray>

// What the jobs change in the remote pane, from any thread. Each call is posted to the window
// thread in call order, so a later post (the connected message) sees its effect.
namespace paneupdates
{

// Sets the session's wait-cursor flag at once and shows or hides the cursor on the pane.
void setWaitCursor(bool on);
// Empties the pane's folder box and its list.
void clearRemoteList();
// The directory the pane shows.
void setRemotePath(const QByteArray &path);

} // namespace paneupdates
