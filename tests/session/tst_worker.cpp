#include "engine/controlconnection.h"
#include "engine/login.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "scriptedserver.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/worker.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <QTimer>
#include <sys/socket.h>

#include <csignal>
#include <fcntl.h>
#include <memory>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(JobRequest)

namespace
{

// A logged-in session on the scripted server, as the connect job leaves it.
int connectTo(quint16 port)
{
    auto &s = controller().session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = port;
    const int socket = OpenConnection(s, s.serverHost, s.port, "ftp", "tcp");
    s.controlSocket = socket;
    if (socket < 0 || ReadReply(s) != 2)
        return -1;
    s.connected = true;
    return socket;
}

QList<LogRecorder::Line> withColor(const LogRecorder &log, std::initializer_list<LogColor> colors)
{
    QCoreApplication::processEvents();
    QList<LogRecorder::Line> lines;
    for (const auto &line : log.lines())
        if (std::find(colors.begin(), colors.end(), line.color) != colors.end())
            lines.append(line);
    return lines;
}

bool waitForIdle()
{
    return QTest::qWaitFor([] { return !controller().session().busy() && !controller().worker().running(); }, 10000);
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT
private slots:
    void init() { testsupport::freshController(); }
    void cleanup() { testsupport::freshController(); }

    // The status is set in one place: busy follows it, and only a change is announced.
    void statusDrivesBusyAndIsAnnounced_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("busy");
        QTest::newRow("not connected") << int(SessionStatus::NotConnected) << false;
        QTest::newRow("connecting") << int(SessionStatus::Connecting) << true;
        QTest::newRow("idle") << int(SessionStatus::Idle) << false;
        QTest::newRow("running a job") << int(SessionStatus::RunningJob) << true;
        QTest::newRow("stopping") << int(SessionStatus::Stopping) << true;
    }

    void statusDrivesBusyAndIsAnnounced()
    {
        QFETCH(int, status);
        QFETCH(bool, busy);
        const auto wanted = SessionStatus(status);
        SessionController controller(appSettings());
        QSignalSpy announced(&controller, &SessionController::stateChanged);
        const int changes = wanted == SessionStatus::NotConnected ? 0 : 1;
        controller.session().setStatus(wanted);
        QCOMPARE(controller.status(), wanted);
        QCOMPARE(controller.busy(), busy);
        QCOMPARE(announced.count(), changes);
        controller.session().setStatus(wanted);
        QCOMPARE(announced.count(), changes);
        controller.session().settle();
        QVERIFY(!controller.busy());
    }

    // Each controller has a session and a worker of its own; the control connection it held is
    // closed when it goes, and the other's session is left alone.
    void controllerOwnsItsSession()
    {
        ScriptedServer server;
        auto outer = std::make_unique<SessionController>(appSettings());
        int socket = -1;
        {
            SessionController inner(appSettings());
            QVERIFY(&inner.session() != &outer->session());
            QVERIFY(&inner.worker() != &outer->worker());
            socket = testsupport::connectControl(inner.session(), server.port());
            QVERIFY(socket >= 0);
            QVERIFY(inner.connected());
            QVERIFY(!outer->connected());
        }
        QCOMPARE(::fcntl(socket, F_GETFD), -1);
        QVERIFY(!outer->connected());
    }

    void watchdogEndsAWorkerThatGetsNoReply()
    {
        durations::setForTest(durations::Kind::Watchdog, 300ms);
        ScriptedServer server;
        server.on("NOOP", Reply::silent());
        QVERIFY(connectTo(server.port()) >= 0);
        auto &s = controller().session();
        s.listingRunning = true;
        s.waitCursor = true;
        LogRecorder log;

        QVERIFY(controller().startJob(UserCommandRequest{"NOOP"}));
        QVERIFY(waitForIdle());
        QVERIFY(s.abortRequested);
        QVERIFY(!s.listingRunning);
        QVERIFY(!s.waitCursor);
        QVERIFY(s.connected); // the watchdog ends the job, not the session
        QCOMPARE(server.commands(), QList<QByteArray>{"NOOP"});
        QVERIFY(!log.contains(QStringLiteral("Disconnected\n"), LogColor::Status));
    }

    // Every byte re-arms the watchdog: a slow but steady reply outlives many watchdog periods.
    void watchdogIsRearmedByEveryByte()
    {
        durations::setForTest(durations::Kind::Watchdog, 400ms);
        ScriptedServer server;
        server.on("NOOP", Reply("200-slow but steady\r\n200 and it keeps coming").byteAtATime(20));
        QVERIFY(connectTo(server.port()) >= 0);
        LogRecorder log;
        QVERIFY(controller().startJob(UserCommandRequest{"NOOP"}));
        QVERIFY(log.waitFor(QStringLiteral("200 and it keeps coming\n"), LogColor::Reply));
        QVERIFY(waitForIdle());
        QVERIFY(!controller().session().abortRequested);
    }

    void jobsOnTheRealServer()
    {
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        {
            QFile file(server.root() + QStringLiteral("/notes.txt"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        auto &s = controller.session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        QVERIFY(Login(s, s.login()) >= 0);

        int refreshes = 0;
        views.onRefreshRemote = [&] { ++refreshes; };
        appSettings().keepAliveMinutes = 3;
        LogRecorder log;

        // A job stops the keep-alive while it runs and re-arms it with the stored period at its end.
        controller.keepAliveTimer()->start(1000000);
        QVERIFY(controller.startJob(UserCommandRequest{"PWD"}));
        QVERIFY(waitForIdle());
        // The job may be over before this thread has handled its stop and re-arm of the timer.
        QTRY_COMPARE(controller.keepAliveTimer()->interval(), 180000);
        QVERIFY(controller.keepAliveTimer()->isActive());
        QCOMPARE(refreshes, 0);
        const QList<LogRecorder::Line> pwd{{"PWD\n", LogColor::Command},
                                           {"257 \"/\" is the current directory.\n", LogColor::Reply}};
        QCOMPARE(withColor(log, {LogColor::Command, LogColor::Reply, LogColor::Error}), pwd);

        log.clear();
        QVERIFY(controller.startJob(ChangeModeRequest{600, "notes.txt"}));
        QVERIFY(waitForIdle());
        QTRY_COMPARE(refreshes, 1);
        const QList<LogRecorder::Line> chmod{{"SITE CHMOD 600 notes.txt\n", LogColor::Command},
                                             {"200 SITE CHMOD successful.\n", LogColor::Reply}};
        QCOMPARE(withColor(log, {LogColor::Command, LogColor::Reply, LogColor::Error}), chmod);
        QCOMPARE(QFile(server.root() + QStringLiteral("/notes.txt")).permissions() & QFileDevice::ReadOther,
                 QFileDevice::Permissions());

        log.clear();
        QVERIFY(controller.worker().runAndWait(QuitRequest{}, cleanUpDeadline()).done());
        const QList<LogRecorder::Line> quit{{"QUIT\n", LogColor::Command},
                                            {"221 Goodbye.\n", LogColor::Reply}};
        QCOMPARE(withColor(log, {LogColor::Command, LogColor::Reply, LogColor::Error}), quit);
    }

    void secondJobIsRefusedWhileOneRuns()
    {
        ScriptedServer server;
        server.on("NOOP", Reply("200 ok").delay(300));
        QVERIFY(connectTo(server.port()) >= 0);
        LogRecorder log;

        QVERIFY(controller().startJob(UserCommandRequest{"NOOP"}));
        QVERIFY(!controller().startJob(RefreshRequest{"/", std::nullopt}, BusyMessage::Silent));
        QVERIFY(!controller().startJob(UserCommandRequest{"HELP"}));
        QVERIFY(log.waitFor(QStringLiteral("Current job is not finished yet.\n"), LogColor::Error));
        QCOMPARE(withColor(log, {LogColor::Error}).size(), 1);
        QVERIFY(waitForIdle());
        QCOMPARE(server.commands(), QList<QByteArray>{"NOOP"});

        QVERIFY(controller().startJob(UserCommandRequest{"NOOP 100%d"}));
        QVERIFY(waitForIdle());
        QCOMPARE(server.commands(), (QList<QByteArray>{"NOOP", "NOOP 100%d"}));
    }

    void cleanUpJobsSignalOrAreStopped_data()
    {
        QTest::addColumn<JobRequest>("job");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("signalled");
        QTest::newRow("QUIT answered") << JobRequest(QuitRequest{}) << QByteArray("QUIT") << true << true;
        QTest::newRow("QUIT never answered")
            << JobRequest(QuitRequest{}) << QByteArray("QUIT") << false << false;
        QTest::newRow("ABOR two replies") << JobRequest(AbortRequest{}) << QByteArray("ABOR") << true << true;
        QTest::newRow("ABOR never answered")
            << JobRequest(AbortRequest{}) << QByteArray("ABOR") << false << false;
    }

    void cleanUpJobsSignalOrAreStopped()
    {
        QFETCH(JobRequest, job);
        QFETCH(QByteArray, command);
        QFETCH(bool, answered);
        QFETCH(bool, signalled);
        durations::setForTest(durations::Kind::JobDoneWait, 1000ms);
        ScriptedServer server;
        server.on(command, answered ? Reply("426 aborted\r\n226 done") : Reply::silent());
        QVERIFY(connectTo(server.port()) >= 0);

        const OperationResult result = controller().worker().runAndWait(job, cleanUpDeadline());
        QCOMPARE(result.inStep(), signalled);
        if (!signalled)
            QCOMPARE(result.outcome, OperationResult::Outcome::Stopped);
        QTRY_VERIFY(!controller().worker().running()); // a job that signalled may still be on its last steps
        QCOMPARE(server.commands(), QList<QByteArray>{command});
    }

    // Abort ends a listing with ABOR, or reads the reply of a command it stopped. When that does
    // not come within the bound it comes later, where the next command would take it for its
    // own and every reply after it would be one behind: the connection is closed instead.
    void abortKeepsRepliesInStep_data()
    {
        QTest::addColumn<QByteArray>("stopped"); // what runs when Abort comes
        QTest::addColumn<QByteArray>("awaited"); // the command whose reply the clean-up reads
        QTest::addColumn<int>("delayMs");        // -1: never answered
        QTest::addColumn<bool>("keptOpen");
        QTest::newRow("ABOR answered in time") << QByteArray("LIST") << QByteArray("ABOR") << 0 << true;
        QTest::newRow("ABOR answered late") << QByteArray("LIST") << QByteArray("ABOR") << 2500 << false;
        QTest::newRow("ABOR never answered") << QByteArray("LIST") << QByteArray("ABOR") << -1 << false;
        QTest::newRow("stopped command answered in time")
            << QByteArray("NOOP") << QByteArray("NOOP") << 300 << true;
        QTest::newRow("stopped command answered late")
            << QByteArray("NOOP") << QByteArray("NOOP") << 2500 << false;
    }

    void abortKeepsRepliesInStep()
    {
        QFETCH(QByteArray, stopped);
        QFETCH(QByteArray, awaited);
        QFETCH(int, delayMs);
        QFETCH(bool, keptOpen);
        durations::setForTest(durations::Kind::JobDoneWait, 1000ms);
        ScriptedServer server;
        server.on("CWD", "250 OK")
            .on("PWD", "257 \"/\" is the current directory")
            .on("TYPE", "200 Type set")
            .on("PASV", Reply::pasv())
            .on("LIST", "150 Here it comes, slowly")
            .on("ABOR", "426 Aborted\r\n226 Abort successful");
        const QByteArray reply = awaited == "ABOR" ? "426 Aborted\r\n226 Abort successful" : "200 ok";
        server.on(awaited, delayMs < 0 ? Reply::silent() : Reply(reply).delay(delayMs));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        QVERIFY(connectTo(server.port()) >= 0);
        LogRecorder log;

        QVERIFY(stopped == "LIST" ? controller.startJob(RefreshRequest{"/", std::nullopt}) : controller.startJob(UserCommandRequest{stopped}));
        QTRY_VERIFY(server.commands().contains(stopped));
        QTest::qWait(100); // the worker waits for the data, or for the reply
        controller.abort();

        QVERIFY(log.waitFor(loadText(TextId::OperationCanceled), LogColor::Status));
        QVERIFY(!controller.session().busy());
        QCOMPARE(controller.session().connected.load(), keptOpen);
        QCOMPARE(controller.session().controlSocket >= 0, keptOpen);
        QCOMPARE(log.contains(loadText(TextId::RepliesOutOfStep), LogColor::Error), !keptOpen);
        QCOMPARE(log.contains(QStringLiteral("Disconnected\n"), LogColor::Status), !keptOpen);
        QCOMPARE(server.commands().contains("ABOR"), awaited == "ABOR");
    }

    void pendingReplyJobReadsTheReplyAfterATransfer()
    {
        ScriptedServer server(Reply::raw("220 ready\r\n226 Transfer complete\r\n"));
        QVERIFY(connectTo(server.port()) >= 0);
        LogRecorder log;
        QVERIFY(controller().worker().runAndWait(ReadPendingReplyRequest{}, cleanUpDeadline()).done());
        QVERIFY(log.waitFor(QStringLiteral("226 Transfer complete\n"), LogColor::Reply));
    }

    void sendToAClosedPeerDoesNotRaiseSigpipe_data()
    {
        QTest::addColumn<bool>("onWorker");
        QTest::newRow("window thread") << false;
        QTest::newRow("worker") << true;
    }

    void sendToAClosedPeerDoesNotRaiseSigpipe()
    {
        QFETCH(bool, onWorker);
        // The default action ends the process: a send that raised the signal would end the test.
        const auto previous = std::signal(SIGPIPE, SIG_DFL);
        ScriptedServer server(Reply("220 bye").thenClose());
        const int socket = connectTo(server.port());
        QVERIFY(socket >= 0);
        // Wait for the server's close without reading it as a reply (that would end the session).
        QVERIFY(QTest::qWaitFor([socket] {
            char bytes[64];
            return ::recv(socket, bytes, sizeof bytes, MSG_DONTWAIT) == 0;
        }));
        bool keepAliveStopped = false;
        testsupport::TestViews views;
        views.onConnectionLost = [&] { keepAliveStopped = true; };
        LogRecorder log;

        const QString sendError = QStringLiteral("Socket data send error\n");
        // The first sends may still reach the closing server; keep sending until one fails. On the
        // worker the job's reply read may find the close first: that ends the session as well.
        const bool failed = QTest::qWaitFor(
            [&] {
                if (onWorker) {
                    if (!controller().startJob(UserCommandRequest{"NOOP"}) || !waitForIdle())
                        return false;
                } else {
                    (void)SendLine(controller().session(), "NOOP");
                }
                QCoreApplication::processEvents();
                return !controller().session().connected;
            },
            10000);
        std::signal(SIGPIPE, previous);
        QVERIFY(failed);
        QVERIFY(log.contains(sendError, LogColor::Error) ||
                log.contains(QStringLiteral("The server closed the connection\n"), LogColor::Error));
        if (!onWorker)
            QVERIFY(log.contains(sendError, LogColor::Error));
        QVERIFY(log.waitFor(QStringLiteral("Disconnected\n"), LogColor::Status));
        QVERIFY(!controller().session().connected);
        QVERIFY(!controller().session().busy());
        QVERIFY(keepAliveStopped);
    }
};

QTEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"
