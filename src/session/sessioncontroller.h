#pragma once

#include "engine/ftpconnection.h"
#include "engine/loginfields.h"
#include "session/jobrequest.h"
#include "session/sessionstatus.h"
#include "session/sessionviews.h"
#include "session/worker.h"

#include <QObject>
#include <QSet>

#include <memory>
#include <optional>

class QTimer;
class Session;
class TransferRun;
class Worker;

// The session's control on the window thread: connecting, ending the session, aborting the
// running job, keeping an idle connection open, and putting the session record right after a job
// was stopped from outside. The windows register their views here and call these instead of
// touching the worker; one controller exists while the main window does.
struct AppSettings;

class SessionController : public QObject, public EngineHost
{
    Q_OBJECT
public:
    // The preferences the jobs start from; the owner keeps them alive and changes them only on the
    // window thread.
    explicit SessionController(const AppSettings &preferences, QObject *parent = nullptr);
    ~SessionController() override;

    void setRemoteView(RemoteListView *view);
    void setLocalView(LocalPaneView *view);
    void setStatusView(StatusView *view);
    void setQuestionView(QuestionView *view);
    void setQueueView(TransferQueue *queue);

    // The session the jobs run on; the windows read it through the accessors below.
    [[nodiscard]] Session &session() const;
    // The session's worker thread; the controller starts and stops its jobs.
    [[nodiscard]] Worker &worker() const { return *worker_; }
    [[nodiscard]] SessionStatus status() const;
    [[nodiscard]] bool connected() const;
    [[nodiscard]] bool busy() const;
    // A transfer runs: the session's job, or a queue run beside the session's connection.
    [[nodiscard]] bool transferRunning() const;
    [[nodiscard]] bool listingRunning() const;
    [[nodiscard]] bool waitCursor() const;
    [[nodiscard]] const LoginFields &login() const;
    [[nodiscard]] QString serverHost() const { return login().serverHost; }
    [[nodiscard]] const SessionViews &views() const;

    // The login the last session used, taken over when the program starts.
    void restoreLastSession();
    // The connect job's session is the one to offer next time; its first listing is the pane's.
    void keepSessionForNextStart();
    // The remote pane's wait cursor, which also keeps the pane's menu closed.
    void recordWaitCursor(bool on);
    // While the window is minimised the transfer loops write their progress into the title.
    void showProgressInTitle(bool on);
    // The next listing also leaves a copy for the user.
    void keepNextListing();
    // A running transfer lists `folder` itself when it reaches a pause; false when none runs.
    bool listDuringTransfer(const QByteArray &folder);
    // The desktop session ends: a transfer's local file is closed rather than left half-written.
    void closeLocalFiles();

    // Starts the job unless one runs; then says "Current job is not finished yet." and gives false.
    // The one way windows start a job. What the job starts from is taken now, from the views.
    // A queue run goes on connections of its own where the server takes them, leaving the
    // session's connection to the user's jobs meanwhile.
    bool startJob(const JobRequest &request, BusyMessage busyMessage = BusyMessage::Log);

    // Starts the connect job with the session's login; false when there is no server to connect
    // to (the caller offers the Site Manager) or a job runs.
    bool connectToServer();
    // The Site Manager's hand-over: ends a running session, takes the login over and connects.
    void connectTo(const LoginFields &login);
    // Ends the session: the running job, the data connection, QUIT, the control connection.
    void disconnect();
    // Ends the running job (asking first while a transfer runs) and leaves the session connected,
    // unless the server's replies to the clean-up do not come within the bound: a late reply
    // would be taken for that of the next command, so the connection is closed instead.
    void abort();

    // The keep-alive timer: stopped while a job runs, re-armed when it ends.
    void stopKeepAlive();
    void armKeepAlive();
    void keepAliveTick();
    QTimer *keepAliveTimer() const { return keepAlive_; }

    // After a job was stopped from outside: the flags as a clean end would leave them, the wait
    // cursor gone.
    void repairAfterStop();
    // What the reply watchdog's expiry does: ends the running job and run, or only marks the
    // abort when none runs.
    void watchdogExpired();
    // The queue run beside the session's connection has left its thread.
    void transferRunEnded();

    // EngineHost: the engine's read-outs go to the status view, its question to the questions.
    void transferProgress(const TransferProgress &progress) override;
    void progressText(const QString &text) override;
    void rateText(const QString &text) override;
    void windowTitle(const QString &text) override;
    std::optional<QString> askPassword() override;
    void connectionLost() override;
    // Trusted before (always, or once in this controller's life), else the user is asked; a
    // host trusted always with another certificate is asked with the stronger warning.
    bool acceptCertificate(const CertificateFacts &facts) override;
    void encryptionChanged(bool control, bool data) override;

signals:
    // Window thread: a job has started or ended, or the connection has come or gone.
    void stateChanged();

private:
    // Ends a session whose replies can no longer be told apart, as a lost connection ends.
    void closeOutOfStep();
    // The request with the inputs the views give now where the caller left them out.
    [[nodiscard]] JobRequest withInputs(JobRequest request) const;
    // Starts the queue run on connections of its own; false when it is to run on the session's.
    bool startRunBeside(const TransferInputs &inputs);
    // The run as the session's own job, once the user's job has left the connection.
    void runOnSession(const TransferInputs &inputs);
    // The remote pane lists its folder again once the session's connection is free.
    void refreshRemoteWhenFree();
    // Ends the run beside the session within `deadline`; false when none went on.
    bool stopRun(Deadline deadline);
    // The expiry action of the watchdog, installed as a job or a run starts.
    void installWatchdogAction();

    const AppSettings &preferences_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Worker> worker_;
    std::unique_ptr<TransferRun> run_;
    // A run handed over to the session's connection, waiting for the user's job to end (tried
    // again on each tick), and the after-run refresh waiting likewise. A stop ends both.
    std::optional<TransferInputs> handedOver_;
    QTimer *handOver_ = nullptr;
    QTimer *refreshLater_ = nullptr;
    QTimer *keepAlive_ = nullptr;
    // "host<TAB>port<TAB>fingerprint" of the certificates trusted once.
    QSet<QString> trustedOnce_;
};

// After the control connection broke: the session's flags down, the keep-alive stopped, the wait
// cursor gone. Any thread.
void RepairAfterConnectionLost(Session &s);
