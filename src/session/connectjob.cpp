#include "session/connectjob.h"

#include "engine/dircommands.h"
#include "engine/login.h"
#include "platform/beep.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/strings.h"
#include "platform/uithread.h"
#include "session/jobs.h"
#include "session/paneupdates.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "platform/appsettings.h"

int ConnectWithRetries(const QString &host)
{
    SessionState &s = session();
    const AppSettings &settings = appSettings();
    s.trailingSlashDirs = false;
    s.passive = settings.passiveMode != 0;
    s.currentType = 'A';

    const int retries = settings.retryCount;
    for (int attempt = 0;; ++attempt) {
        const int socket = Login(host);
        if (socket >= 0) {
            BeepIfEnabled();
            return socket;
        }
        if (retries <= attempt)
            break;
        if (const int delay = settings.retryDelaySeconds; delay > 0) {
            AppendLogId(LogColor::Status, 164, delay);
            socketwait::sleep(durations::get(durations::Kind::RetrySecond) * delay);
        }
        AppendLogId(LogColor::Status, 165, attempt + 1, retries);
    }
    if (retries > 0) {
        AppendLogId(LogColor::Error, 166, retries, host.toUtf8().constData());
        BeepIfEnabled();
    }
    return -1;
}

void ConnectJob()
{
    SessionState &s = session();
    s.nameColumn = 0;
    paneupdates::setWaitCursor(true);
    // The login refuses to run on a session it takes for connected.
    s.connected = false;

    s.controlSocket = ConnectWithRetries(s.serverHost);
    if (s.controlSocket < 0) {
        paneupdates::setWaitCursor(false);
        return;
    }
    s.connected = true;
    paneupdates::clearRemoteList();

    if (!s.initialRemotePath.isEmpty())
        (void)RemoteChangeDirectory(s.controlSocket, s.initialRemotePath.toUtf8());

    if (RemotePrintDirectory(s.controlSocket) == 2) {
        // A reply without a quoted path leaves the pane's directory as it was.
        if (const auto path = ParseWorkingDirectory(s.replyText()))
            paneupdates::setRemotePath(*path);
        const QString title = loadString(128) + QStringLiteral(" - ") + s.serverHost;
        uithread::post([title] {
            if (sessionHooks().setWindowTitle)
                sessionHooks().setWindowTitle(title);
        });
    }

    uithread::post([] {
        if (sessionHooks().postToRemotePane)
            sessionHooks().postToRemotePane(int(JobCode::Connect));
    });
    paneupdates::setWaitCursor(false);
}
