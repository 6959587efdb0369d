#include "session/connectjob.h"

#include "engine/dircommands.h"
#include "engine/login.h"
#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/strings.h"
#include "session/jobs.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

int ConnectWithRetries(const QString &host)
{
    SessionState &s = session();
    const AppSettings &settings = appSettings();
    s.trailingSlashDirs = false;
    s.passive = settings.passiveMode != 0;
    s.currentType = 'A';

    const int retries = settings.retryCount;
    for (int attempt = 0;; ++attempt) {
        LoginFields login = s.login();
        login.serverHost = host;
        const int socket = Login(s, login);
        if (socket >= 0) {
            s.beepIfEnabled();
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
        s.beepIfEnabled();
    }
    return -1;
}

void ConnectJob()
{
    SessionState &s = session();
    s.nameColumn = 0;
    viewposts::setWaitCursor(true);
    // The login refuses to run on a session it takes for connected.
    s.connected = false;

    s.controlSocket = ConnectWithRetries(s.serverHost);
    if (s.controlSocket < 0) {
        viewposts::setWaitCursor(false);
        return;
    }
    s.connected = true;
    viewposts::remote([](RemoteListView &view) {
        view.clearRemotePathBox();
        view.clearRemoteList();
    });

    if (!s.initialRemotePath.isEmpty())
        (void)RemoteChangeDirectory(s, s.initialRemotePath.toUtf8());

    QByteArray reply;
    if (RemotePrintDirectory(s, &reply) == 2) {
        // A reply without a quoted path leaves the pane's directory as it was.
        if (const auto path = ParseWorkingDirectory(reply))
            viewposts::remote([path = *path](RemoteListView &view) { view.setRemotePath(path); });
        const QString title = loadString(128) + QStringLiteral(" - ") + s.serverHost;
        viewposts::status([title](StatusView &view) { view.showWindowTitle(title); });
    }

    // The pane takes the session over once the worker is no longer busy (SessionThreadProc).
    viewposts::setWaitCursor(false);
}
