#include "session/connectjob.h"

#include "platform/durations.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/jobs.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/viewposts.h"

bool ConnectWithRetries(RemoteProtocol &protocol, Session &s, const QString &host)
{
    const JobOptions &settings = s.jobOptions;
    s.trailingSlashDirs = false;
    s.passive = settings.passive;
    s.currentType = 'A';

    const int retries = settings.retryCount;
    for (int attempt = 0;; ++attempt) {
        LoginFields login = s.login();
        login.serverHost = host;
        if (protocol.logIn(login).done()) {
            s.beepIfEnabled();
            return true;
        }
        if (retries <= attempt || s.tlsRefused)
            break;
        if (const int delay = settings.retryDelaySeconds; delay > 0) {
            AppendLog(LogColor::Status, TextId::DelayingBeforeReconnect, delay);
            socketwait::sleep(durations::get(durations::Kind::RetrySecond) * delay);
        }
        AppendLog(LogColor::Status, TextId::Reconnecting, attempt + 1, retries);
    }
    if (retries > 0 && !s.tlsRefused) {
        AppendLog(LogColor::Error, TextId::AllRetriesFailed, retries, host.toUtf8().constData());
        s.beepIfEnabled();
    }
    return false;
}

OperationResult ConnectJob(RemoteProtocol &protocol, Session &s)
{
    s.nameColumn = 0;
    viewposts::setWaitCursor(s, true);
    // The login refuses to run on a session it takes for connected.
    s.connected = false;

    if (!ConnectWithRetries(protocol, s, s.serverHost)) {
        s.controlSocket = -1;
        viewposts::setWaitCursor(s, false);
        return {OperationResult::Outcome::Refused, s.lastReplyCode, s.replyText()};
    }
    s.connected = true;
    viewposts::remote(s, [](RemoteListView &view) {
        view.clearRemotePathBox();
        view.clearRemoteList();
    });

    if (!s.initialRemotePath.isEmpty())
        (void)protocol.changeFolder(s.initialRemotePath.toUtf8());

    std::optional<QByteArray> folder;
    if (protocol.printFolder(folder).done()) {
        // A reply without a quoted path leaves the pane's directory as it was.
        if (folder)
            viewposts::remote(s, [path = *folder](RemoteListView &view) { view.setRemotePath(path); });
        const QString title = loadText(TextId::ProgramTitle) + QStringLiteral(" - ") + s.serverHost;
        viewposts::status(s, [title](StatusView &view) { view.showWindowTitle(title); });
    }

    // The pane takes the session over once the worker is no longer busy (Worker::run).
    viewposts::setWaitCursor(s, false);
    return {};
}
