#include "framesession.h"

#include "ftpserver.h"

#include "controls/sortlistctrl.h"
#include "panes/remotewnd.h"
#include "platform/commandids.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

namespace testsupport
{

void connectFrame(CMainFrame &frame, const FtpServer &server)
{
    connectFrame(frame, server.port(), QString::fromLatin1(FtpServer::user), QString::fromLatin1(FtpServer::password));
}

void connectFrame(CMainFrame &frame, quint16 port, const QString &user, const QString &password)
{
    Session &s = frame.controller()->session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = port;
    s.userName = user;
    s.password = password;
    s.anonymousLogin = false;
    s.initialRemotePath.clear();
    QSignalSpy started(frame.remotePane(), &CRemoteWnd::sessionStarted);
    emit frame.controller()->stateChanged();
    frame.action(cmd::Connect)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!s.busy() && !s.waitCursor, 10000);
    QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));
}

void runQueue(CMainFrame &frame)
{
    QSignalSpy changed(frame.controller(), &SessionController::stateChanged);
    QMetaObject::invokeMethod(frame.action(cmd::TransferQueue), &QAction::trigger, Qt::QueuedConnection);
    // Any start announces itself, however soon a short run ends.
    QTRY_VERIFY_WITH_TIMEOUT(changed.count() > 0, 5000);
    waitForRunEnd(frame);
}

void waitForRunEnd(CMainFrame &frame)
{
    const SessionController &controller = *frame.controller();
    QTRY_VERIFY_WITH_TIMEOUT(!controller.transferRunning() && !controller.busy(), 30000);
    // The refresh after the run may start a moment later.
    QTest::qWait(100);
    QTRY_VERIFY_WITH_TIMEOUT(!controller.busy(), 10000);
}

QStringList rowNames(const CSortListCtrl *list)
{
    QStringList names;
    for (int row = 0; row < list->listModel()->size(); ++row)
        names << list->listModel()->row(row).text(0);
    return names;
}

} // namespace testsupport
