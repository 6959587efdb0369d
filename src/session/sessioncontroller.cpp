#include "session/sessioncontroller.h"

#include "engine/controlconnection.h"
#include "engine/watchdog.h"
#include "platform/appsettings.h"
#include "platform/beep.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/engineoptions.h"
#include "session/ftpprotocol.h"
#include "session/knowncertificates.h"
#include "session/lastsession.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/transferrun.h"
#include "session/viewposts.h"
#include "session/worker.h"

#include <QPointer>
#include <QTimer>

SessionController::SessionController(const AppSettings &preferences, QObject *parent)
    : QObject(parent), preferences_(preferences), session_(std::make_unique<Session>()),
      worker_(std::make_unique<Worker>(*session_, preferences)), run_(std::make_unique<TransferRun>(*session_))
{
    session_->controller = this;
    session_->host = this;

    keepAlive_ = new QTimer(this);
    keepAlive_->setSingleShot(false);
    QObject::connect(keepAlive_, &QTimer::timeout, this, &SessionController::keepAliveTick);

    // The user's job holds the session's connection a short while as a rule: the hand-over and
    // the refresh look again a few times a second.
    constexpr int retryMs = 50;
    handOver_ = new QTimer(this);
    handOver_->setInterval(retryMs);
    QObject::connect(handOver_, &QTimer::timeout, this, [this] {
        if (handedOver_)
            runOnSession(*handedOver_);
    });
    refreshLater_ = new QTimer(this);
    refreshLater_->setInterval(retryMs);
    QObject::connect(refreshLater_, &QTimer::timeout, this, &SessionController::refreshRemoteWhenFree);
}

SessionController::~SessionController()
{
    keepAlive_->stop();
    Session &s = *session_;
    // The worker runs on this session: it ends before the session does, and what the session
    // held open is closed as a clean end would.
    worker_->join();
    run_.reset();
    s.controller = nullptr;
    s.host = nullptr;
    s.views = {};
    s.dataSocket = CloseSocketAbortive(s, s.dataSocket);
    s.listenSocket = CloseSocketAbortive(s, s.listenSocket);
    s.controlSocket = CloseSocketAbortive(s, s.controlSocket);
    (void)CloseLocalFiles(s);
}

void SessionController::setRemoteView(RemoteListView *view)
{
    session_->views.remote = view;
}

void SessionController::setLocalView(LocalPaneView *view)
{
    session_->views.local = view;
}

void SessionController::setStatusView(StatusView *view)
{
    session_->views.status = view;
}

void SessionController::setQuestionView(QuestionView *view)
{
    session_->views.questions = view;
}

void SessionController::setQueueView(TransferQueue *queue)
{
    session_->views.queue = queue;
}

Session &SessionController::session() const
{
    return *session_;
}

SessionStatus SessionController::status() const
{
    return session_->status();
}

bool SessionController::connected() const
{
    return session_->connected;
}

bool SessionController::busy() const
{
    return session_->busy();
}

bool SessionController::transferRunning() const
{
    return session_->transferRunning || run_->running() || handedOver_.has_value();
}

bool SessionController::listingRunning() const
{
    return session_->listingRunning;
}

bool SessionController::waitCursor() const
{
    return session_->waitCursor;
}

const LoginFields &SessionController::login() const
{
    return session_->login();
}

const SessionViews &SessionController::views() const
{
    return session_->views;
}

void SessionController::restoreLastSession()
{
    session_->login() = readLastSession();
    // A password the keyring keeps comes later; a connection started before it asks for it.
    fetchLastSessionPassword(this, [this, restored = session_->login()](const QString &password) {
        LoginFields &login = session_->login();
        if (!session_->busy() && login.password.isEmpty() && login.serverHost == restored.serverHost &&
            login.userName == restored.userName)
            login.password = password;
    });
}

void SessionController::keepSessionForNextStart()
{
    Session &s = *session_;
    writeLastSession(s.login());
    s.listingRunning = false;
}

void SessionController::recordWaitCursor(bool on)
{
    session_->waitCursor = on;
}

void SessionController::showProgressInTitle(bool on)
{
    session_->showProgressInTitle = on;
}

void SessionController::keepNextListing()
{
    session_->debugListing = true;
}

bool SessionController::listDuringTransfer(const QByteArray &folder)
{
    Session &s = *session_;
    if (!s.transferRunning)
        return false;
    s.commandArgument = folder;
    return true;
}

void SessionController::closeLocalFiles()
{
    (void)CloseLocalFiles(*session_);
}

bool SessionController::startJob(const JobRequest &request, BusyMessage busyMessage)
{
    const JobRequest full = withInputs(request);
    if (const auto *transfer = std::get_if<TransferRequest>(&full)) {
        if (run_->running() || handedOver_) {
            if (busyMessage == BusyMessage::Log)
                AppendLog(LogColor::Error, TextId::JobNotFinished);
            return false;
        }
        if (startRunBeside(transfer->inputs))
            return true;
    }
    return worker_->start(full, busyMessage);
}

bool SessionController::startRunBeside(const TransferInputs &inputs)
{
    Session &s = *session_;
    if (s.busy() || !s.connected || !inputs.queue)
        return false;
    const JobOptions options = jobOptions(preferences_);
    // The session's connection counts among those the site takes.
    const int connections = s.connectionLimits.allowed(s.login(), options.simultaneousTransfers + 1) - 1;
    if (connections < 1)
        return false;
    // A stop asked of a job that has ended since must not end the run at once.
    if (!worker_->running())
        workerstop::clear();
    installWatchdogAction();
    run_->start(inputs, RunPlace{true, connections, {}, engineOptions(preferences_), options}, this,
                [controller = QPointer<SessionController>(this)] {
                    if (controller)
                        controller->transferRunEnded();
                });
    s.announceState();
    return true;
}

void SessionController::transferRunEnded()
{
    const std::optional<TransferRun::Outcome> outcome = run_->finish();
    if (!outcome)
        return;
    Session &s = *session_;
    if (outcome->notLoggedIn && s.connected) {
        // The run goes on the session's connection as it did before runs had their own.
        if (outcome->refused)
            s.connectionLimits.remember(s.login(), 1);
        AppendLog(LogColor::Status, TextId::TransferOnSessionConnection);
        runOnSession(outcome->inputs);
        return;
    }
    s.announceState();
    if (outcome->disconnectRequested)
        disconnect();
    else if (s.connected)
        refreshRemoteWhenFree();
}

void SessionController::runOnSession(const TransferInputs &inputs)
{
    if (worker_->start(TransferRequest{inputs}, BusyMessage::Silent)) {
        handedOver_.reset();
        handOver_->stop();
        return;
    }
    if (!session_->connected) {
        handedOver_.reset();
        handOver_->stop();
        session_->announceState();
        return;
    }
    handedOver_ = inputs;
    handOver_->start();
}

void SessionController::refreshRemoteWhenFree()
{
    Session &s = *session_;
    RemoteListView *view = s.views.remote;
    if (!view || !s.connected) {
        refreshLater_->stop();
        return;
    }
    if (s.busy()) {
        refreshLater_->start();
        return;
    }
    refreshLater_->stop();
    view->refreshRemote();
}

bool SessionController::stopRun(Deadline deadline)
{
    const bool going = run_->running() || handedOver_;
    handedOver_.reset();
    handOver_->stop();
    refreshLater_->stop();
    run_->stop(deadline);
    return going;
}

void SessionController::installWatchdogAction()
{
    watchdog::setExpiryAction([controller = QPointer<SessionController>(this)] {
        if (controller)
            controller->watchdogExpired();
    });
}

JobRequest SessionController::withInputs(JobRequest request) const
{
    const SessionViews &views = session_->views;
    // What the transfer starts from, unless the caller gave it.
    if (auto *transfer = std::get_if<TransferRequest>(&request); transfer && !transfer->inputs.queue)
        transfer->inputs = transferInputs(views);
    // Where the listing's cache goes, as the pane will show the folder.
    if (auto *refresh = std::get_if<RefreshRequest>(&request); refresh && !refresh->cache && views.remote)
        refresh->cache = views.remote->listingCacheTarget(refresh->folder);
    return request;
}

bool SessionController::connectToServer()
{
    Session &s = *session_;
    if (s.serverHost.isEmpty() || s.busy())
        return false;
    return worker_->start(ConnectRequest{}, BusyMessage::Silent);
}

void SessionController::connectTo(const LoginFields &login)
{
    Session &s = *session_;
    // The running job may still read the login fields, so it ends before they change.
    if (s.connected || s.busy())
        disconnect();
    s.login() = login;
    (void)connectToServer();
}

void SessionController::repairAfterStop()
{
    Session &s = *session_;
    s.abortRequested = true;
    s.listingRunning = false;
    s.transferRunning = false;
    s.waitCursor = false;
    if (RemoteListView *view = s.views.remote)
        view->setWaitCursor(false);
    s.settle();
}

void SessionController::disconnect()
{
    Session &s = *session_;
    // One bound for all the clean-up steps together: Disconnect and Exit end within it whatever
    // the server does. Before the login completed there is no session to take leave of: the
    // connection just closes.
    const Deadline deadline = cleanUpDeadline();
    bool usable = s.connected;
    // ABOR in step has read the reply of the transfer it ended as well as its own: no reply is
    // owed for the data connection, and waiting for one would spend the whole bound.
    bool abortedInStep = false;
    if (s.busy() && worker_->running()) {
        // Read before the stop: the job's own clean-up on its way out lowers these flags.
        const bool dataInFlight = s.transferRunning || s.waitCursor;
        s.setStatus(SessionStatus::Stopping);
        (void)worker_->stop();
        // The stop has reached the run beside as well: it ends before the clean-up jobs start.
        (void)stopRun(deadline);
        if (usable && dataInFlight) {
            usable = worker_->runAndWait(AbortRequest{}, deadline).inStep();
            abortedInStep = usable;
        }
        repairAfterStop();
    }
    (void)stopRun(deadline);
    if (s.dataSocket >= 0) {
        s.dataSocket = CloseSocketAbortive(s, s.dataSocket);
        if (usable && !abortedInStep)
            usable = worker_->runAndWait(ReadPendingReplyRequest{}, deadline).inStep();
        s.settle();
        (void)CloseLocalFiles(s);
    }
    if (s.listenSocket >= 0)
        s.listenSocket = CloseSocketAbortive(s, s.listenSocket);
    if (s.controlSocket >= 0) {
        if (usable)
            (void)worker_->runAndWait(QuitRequest{}, deadline);
        s.settle();
        s.controlSocket = CloseSocketAbortive(s, s.controlSocket);
    }
    if (s.connected) {
        keepAlive_->stop();
        s.connected = false;
        AppendLog(LogColor::Status, TextId::Disconnected);
        BeepIfEnabled();
    }
    if (StatusView *view = s.views.status)
        view->showWindowTitle(loadText(TextId::ProgramTitle));
    s.settle();
    s.announceState();
}

void SessionController::abort()
{
    Session &s = *session_;
    if (transferRunning()) {
        QuestionView *questions = s.views.questions;
        if (!questions || !questions->confirmAbortTransfer())
            return;
    }
    const bool jobRunning = s.busy() && worker_->running();
    const bool runGoing = run_->running() || handedOver_;
    if (!jobRunning && !runGoing)
        return;
    const Deadline deadline = cleanUpDeadline();
    const bool loggedIn = s.connected;
    // Read before the stop: the job's own clean-up on its way out lowers these flags. A transfer
    // or a listing is ended with ABOR; a command stopped before its reply came has that reply
    // read, so that the next command does not take it for its own.
    const bool dataInFlight =
        jobRunning && (s.transferRunning || s.listingTransfer || s.dataSocket >= 0 || s.listenSocket >= 0);
    const bool awaitingReply = jobRunning && s.awaitingReply;
    // One stop ends both: the session's job first (it is the one whose state is repaired), then
    // the run beside, before any clean-up job starts on the session's connection.
    if (jobRunning) {
        s.setStatus(SessionStatus::Stopping);
        (void)worker_->stop();
    }
    (void)stopRun(deadline);
    if (!jobRunning) {
        // The session's connection was idle: nothing to clean up on it.
    } else if (!loggedIn) {
        // A server that has not greeted or not logged us in is owed no ABOR; nothing more of
        // that connection may be read.
        s.controlSocket = CloseSocketAbortive(s, s.controlSocket);
    } else if (dataInFlight || awaitingReply) {
        const OperationResult cleanUp = dataInFlight ? worker_->runAndWait(AbortRequest{}, deadline)
                                                     : worker_->runAndWait(ReadPendingReplyRequest{}, deadline);
        s.settle();
        if (!cleanUp.inStep() && s.connected)
            closeOutOfStep();
    }
    bool uploadCut = false;
    if (s.dataSocket >= 0) {
        s.dataSocket = CloseSocketAbortive(s, s.dataSocket);
        uploadCut = CloseLocalFiles(s);
    }
    if (s.listenSocket >= 0)
        s.listenSocket = CloseSocketAbortive(s, s.listenSocket);
    repairAfterStop();
    if (StatusView *view = s.views.status) {
        view->setProgressText(QString());
        view->setRateText(QString());
    }
    AppendLog(LogColor::Status, TextId::OperationCanceled);
    if (LocalPaneView *view = s.views.local)
        view->refreshLocal();
    // The partly written remote file of a cut upload should show; a run beside may have cut one.
    if (runGoing && s.connected)
        refreshLater_->start();
    else if (uploadCut)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (RemoteListView *view = session_->views.remote)
                    view->refreshRemote();
            },
            Qt::QueuedConnection);
}

void SessionController::closeOutOfStep()
{
    AppendLog(LogColor::Error, TextId::RepliesOutOfStep);
    // The next command logs in again, as after a lost connection.
    ConnectionLost(*session_);
}

void SessionController::stopKeepAlive()
{
    keepAlive_->stop();
}

void SessionController::armKeepAlive()
{
    // A period of 0 minutes would send NOOP without pause; it means no keep-alive.
    // The clean-up jobs of a disconnect ask for it too; a closed session has nothing to keep.
    // The preferences are read here, on the window thread, where the dialog changes them.
    const int minutes = preferences_.keepAliveMinutes;
    if (minutes <= 0 || !session_->connected)
        return;
    const auto minute = durations::get(durations::Kind::KeepAliveMinute);
    keepAlive_->start(std::chrono::milliseconds(minute * minutes));
}

void SessionController::keepAliveTick()
{
    keepAlive_->stop();
    Session &s = *session_;
    if (!s.connected || !preferences_.keepConnection)
        return;
    // The worker owns the control connection while it runs; the timer is stopped then, but a
    // tick queued just before the job started must not talk over it.
    if (!s.busy()) {
        s.options = engineOptions(preferences_);
        if (!FtpProtocol(s).keepAlive().done()) {
            AppendLog(LogColor::Error, TextId::ConnectionClosed);
            BeepIfEnabled();
            disconnect();
        }
    }
    armKeepAlive();
}

void SessionController::transferProgress(const TransferProgress &progress)
{
    StatusView *view = session_->views.status;
    if (!view)
        return;
    view->setFileProgress(progress.done, progress.total);
    if (progress.inTitle)
        view->showWindowTitle(ProgressText(progress.done, progress.total));
}

void SessionController::progressText(const QString &text)
{
    if (StatusView *view = session_->views.status)
        view->setProgressText(text);
}

void SessionController::rateText(const QString &text)
{
    if (StatusView *view = session_->views.status)
        view->setRateText(text);
}

void SessionController::windowTitle(const QString &text)
{
    if (StatusView *view = session_->views.status)
        view->showWindowTitle(text);
}

std::optional<QString> SessionController::askPassword()
{
    if (QuestionView *view = session_->views.questions)
        return view->askPassword();
    return std::nullopt;
}

void SessionController::connectionLost()
{
    RepairAfterConnectionLost(*session_);
}

bool SessionController::acceptCertificate(const CertificateFacts &facts)
{
    const QString once = facts.host.toLower() + QLatin1Char('\t') + QString::number(facts.port) + QLatin1Char('\t') +
                         QString::fromLatin1(facts.fingerprint);
    if (trustedOnce_.contains(once))
        return true;
    const QString path = KnownCertificates::defaultPath();
    KnownCertificates known = KnownCertificates::load(path);
    const std::optional<QByteArray> remembered = known.fingerprintFor(facts.host, facts.port);
    if (remembered == facts.fingerprint)
        return true;
    QuestionView *view = session_->views.questions;
    switch (view ? view->askCertificate(facts, remembered.has_value()) : CertificateAnswer::Cancel) {
    case CertificateAnswer::TrustAlways:
        if (!known.remember(facts.host, facts.port, facts.fingerprint) || !known.save(path))
            trustedOnce_.insert(once);
        return true;
    case CertificateAnswer::TrustOnce:
        trustedOnce_.insert(once);
        return true;
    case CertificateAnswer::Cancel:
        break;
    }
    return false;
}

void SessionController::encryptionChanged(bool control, bool data)
{
    if (StatusView *view = session_->views.status)
        view->showEncryption(control, data);
}

void SessionController::watchdogExpired()
{
    Session &s = *session_;
    s.abortRequested = true;
    const bool jobRunning = s.busy() && worker_->running();
    if (jobRunning)
        (void)worker_->stop();
    // Every thread is covered: a connection of the run that waits too long ends the run too.
    (void)stopRun(cleanUpDeadline());
    if (jobRunning) {
        repairAfterStop();
        // The worker may have cleared the flag on its way to the stop.
        s.abortRequested = true;
    }
    s.announceState();
}

void RepairAfterConnectionLost(Session &s)
{
    // Any thread: the flags at once, the windows on the window thread.
    s.listingRunning = false;
    s.transferRunning = false;
    s.settle();
    viewposts::setWaitCursor(s, false);
    viewposts::controller(s, [](SessionController &controller) { controller.stopKeepAlive(); });
    const QString title = loadText(TextId::ProgramTitle);
    viewposts::status(s, [title](StatusView &view) { view.showWindowTitle(title); });
    s.announceState();
}
