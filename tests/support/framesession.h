#pragma once

class CMainFrame;
class CSortListCtrl;

#include <QString>
#include <QStringList>

namespace testsupport
{

class FtpServer;

// Logs the frame in to the test server as the tester and waits for the remote pane in "/".
void connectFrame(CMainFrame &frame, const FtpServer &server);
// The same for a server on 127.0.0.1:`port` and this user (a scripted server, say).
void connectFrame(CMainFrame &frame, quint16 port, const QString &user, const QString &password);
// Starts the queue through the Transfer command, queued so that the dialogs it opens are watched,
// and waits for the run to end and the session's connection to be free again.
void runQueue(CMainFrame &frame);
// Waits for the run started through the Transfer command to end, and the refresh after it.
void waitForRunEnd(CMainFrame &frame);
// The names a list shows, in its order.
[[nodiscard]] QStringList rowNames(const CSortListCtrl *list);

} // namespace testsupport
