// The remote pane's connection control: taking a session over after login, ending it, aborting
// the running job and keeping an idle connection open.
#include "panes/remotewnd.h"

#include "engine/controlconnection.h"
#include "platform/beep.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/uitext.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "session/worker.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"

#include <QMessageBox>
#include <QTimer>

void CRemoteWnd::OnConnected()
{
    using settingsstore::applSet;
    SessionState &s = session();
    settingsstore::writeString(applSet, QStringLiteral("LastServer"), s.serverHost);
    settingsstore::writeString(applSet, QStringLiteral("LastUser"), s.userName);
    settingsstore::writeString(applSet, QStringLiteral("LastPassword"), s.password);
    settingsstore::writeInt(applSet, QStringLiteral("LastPort"), s.port);
    settingsstore::writeString(applSet, QStringLiteral("LastRemote"), s.initialRemotePath);
    settingsstore::writeString(applSet, QStringLiteral("LastLocal"), s.initialLocalPath);
    settingsstore::writeInt(applSet, QStringLiteral("LastLogin"), s.anonymousLogin ? 1 : 0);
    settingsstore::writeInt(applSet, QStringLiteral("Relative"), s.relativePaths ? 1 : 0);
    s.listingRunning = false;
    // The session's local folder is shown by the local pane once the frame holds one.
    Navigate(s.initialRemotePath.isEmpty() ? currentPath_ : s.initialRemotePath.toUtf8());
    emit sessionStarted();
}

void CRemoteWnd::Disconnect()
{
    SessionState &s = session();
    if (s.busy && workerRunning()) {
        (void)stopWorker();
        s.busy = false;
        if (s.transferRunning || s.waitCursor)
            (void)RunJobAndWait(JobCode::Abort);
        s.abortRequested = true;
        s.busy = false;
        s.listingRunning = false;
        s.transferRunning = false;
        applyWaitCursor(false);
    }
    if (s.dataSocket >= 0) {
        s.dataSocket = CloseSocketAbortive(s.dataSocket);
        (void)RunJobAndWait(JobCode::ReadPendingReply);
        s.busy = false;
        (void)CloseLocalFiles();
    }
    if (s.listenSocket >= 0)
        s.listenSocket = CloseSocketAbortive(s.listenSocket);
    if (s.controlSocket >= 0) {
        (void)RunJobAndWait(JobCode::Disconnect);
        s.busy = false;
        s.controlSocket = CloseSocketAbortive(s.controlSocket);
    }
    if (s.connected) {
        keepAlive_->stop();
        s.connected = false;
        AppendLogId(LogColor::Status, 162);
        if (appSettings().soundEffects)
            Beep();
    }
    if (sessionHooks().setWindowTitle)
        sessionHooks().setWindowTitle(loadString(128));
}

void CRemoteWnd::AbortJob()
{
    SessionState &s = session();
    if (s.transferRunning) {
        const auto answer = QMessageBox::question(this, loadString(128), loadString(184).trimmed(),
                                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    if (!s.busy || !workerRunning())
        return;
    (void)stopWorker();
    if (s.transferRunning || s.waitCursor) {
        (void)RunJobAndWait(JobCode::Abort);
        s.busy = false;
    }
    s.transferRunning = false;
    applyWaitCursor(false);
    bool uploadCut = false;
    if (s.dataSocket >= 0) {
        s.dataSocket = CloseSocketAbortive(s.dataSocket);
        uploadCut = CloseLocalFiles();
    }
    s.abortRequested = true;
    s.busy = false;
    s.listingRunning = false;
    SessionHooks &hooks = sessionHooks();
    if (hooks.setProgressText)
        hooks.setProgressText(QString());
    if (hooks.setRateText)
        hooks.setRateText(QString());
    AppendLogId(LogColor::Status, 163);
    if (hooks.postToLocalPane)
        hooks.postToLocalPane(cmd::Refresh);
    // The partly written remote file of a cut upload should show.
    if (uploadCut)
        QMetaObject::invokeMethod(
            this, [this] { runCommand(cmd::Refresh); }, Qt::QueuedConnection);
}

void CRemoteWnd::KeepAliveTimer()
{
    keepAlive_->stop();
    SessionState &s = session();
    const AppSettings &settings = appSettings();
    if (!s.connected || !settings.keepConnection)
        return;
    // The worker owns the control connection while it runs; the timer is stopped then, but a
    // tick queued just before the job started must not talk over it.
    if (!s.busy && SendCommand(s.controlSocket, "NOOP") != 2) {
        AppendLogId(LogColor::Error, 171);
        BeepIfEnabled();
        Disconnect();
    }
    armKeepAlive();
}

void CRemoteWnd::armKeepAlive()
{
    // A period of 0 minutes would send NOOP without pause; it means no keep-alive.
    // The clean-up jobs of a disconnect ask for it too; a closed session has nothing to keep.
    const int minutes = appSettings().keepAliveMinutes;
    if (minutes <= 0 || !session().connected)
        return;
    const auto minute = durations::get(durations::Kind::KeepAliveMinute);
    keepAlive_->start(std::chrono::milliseconds(minute * minutes));
}
