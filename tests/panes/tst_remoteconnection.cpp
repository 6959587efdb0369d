#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "panes/listingcache.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/durations.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "shell/mainframe.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

// A server that logs anyone in and sits in "/".
void scriptLogin(ScriptedServer &server)
{
    server.on("USER", "331 Password required")
        .on("PASS", "230 Logged in")
        .on("PWD", "257 \"/\" is the current directory")
        .on("CWD", "250 OK")
        .on("NOOP", "200 NOOP ok");
}

} // namespace

class TestRemoteConnection : public QObject
{
    Q_OBJECT

    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }

    void startFrame()
    {
        guitest::ModalWatcher watcher;
        frame_ = std::make_unique<CMainFrame>();
        frame_->show();
        QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
    }

    void connectTo(quint16 port)
    {
        Session &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = port;
        s.userName = QStringLiteral("tester");
        s.password = QStringLiteral("secret");
        s.anonymousLogin = false;
        QSignalSpy started(frame_->remotePane(), &CRemoteWnd::sessionStarted);
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QVERIFY(s.connected);
        QTRY_VERIFY_WITH_TIMEOUT(!s.busy(), 10000);
    }

private slots:
    void init()
    {
        guitest::clearSettings();
        testsupport::freshController();
        appSettings().retryCount = 0;
        appSettings().soundEffects = 0;
        appSettings().keepConnection = 1;
        appSettings().keepAliveMinutes = 3;
        startFrame();
    }

    void cleanup()
    {
        frame_.reset();
        testsupport::freshController();
    }

    void lastSessionStoredAfterLogin()
    {
        ScriptedServer server;
        scriptLogin(server);
        session().initialRemotePath = QStringLiteral("/pub");
        session().initialLocalPath = QStringLiteral("/tmp");
        session().relativePaths = true;
        connectTo(server.port());
        using settingsstore::applSet;
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastServer"), {}),
                 QStringLiteral("127.0.0.1"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastUser"), {}),
                 QStringLiteral("tester"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastPassword"), {}),
                 QStringLiteral("secret"));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("LastPort"), 0), int(server.port()));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastRemote"), {}),
                 QStringLiteral("/pub"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastLocal"), {}), QStringLiteral("/tmp"));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("LastLogin"), -1), 0);
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("Relative"), -1), 1);

        // The next start reads them back into the session.
        frame_.reset();
        testsupport::freshController();
        startFrame();
        QCOMPARE(session().serverHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(session().port, int(server.port()));
        QCOMPARE(session().initialRemotePath, QStringLiteral("/pub"));
        QVERIFY(session().relativePaths);
        QVERIFY(!session().anonymousLogin);
    }

    void disconnectWhileIdle()
    {
        ScriptedServer server;
        scriptLogin(server);
        connectTo(server.port());
        QTRY_COMPARE(frame_->windowTitle(), loadText(TextId::ProgramTitle) + QStringLiteral(" - 127.0.0.1"));
        LogRecorder log;
        frame_->action(cmd::Disconnect)->trigger();
        QVERIFY(log.waitFor(loadText(TextId::Disconnected), LogColor::Status));
        QVERIFY(server.commands().contains("QUIT"));
        QVERIFY(!session().connected);
        QCOMPARE(session().controlSocket.load(), -1);
        QCOMPARE(frame_->windowTitle(), loadText(TextId::ProgramTitle));
        QVERIFY(!frame_->controller()->keepAliveTimer()->isActive());
    }

    void disconnectWhenQuitIsNeverAnswered()
    {
        durations::setForTest(durations::Kind::JobDoneWait, std::chrono::milliseconds(300));
        ScriptedServer server;
        scriptLogin(server);
        server.on("QUIT", Reply::silent());
        connectTo(server.port());
        LogRecorder log;
        frame_->controller()->disconnect();
        // Disconnect returns only after its bounded wait; the window kept working meanwhile.
        QVERIFY(log.waitFor(loadText(TextId::Disconnected), LogColor::Status, 100));
        QVERIFY(!session().connected);
        QVERIFY(!session().busy());
        QCOMPARE(session().controlSocket.load(), -1);

        // And a new session can start.
        ScriptedServer second;
        scriptLogin(second);
        connectTo(second.port());
    }

    void keepAliveSendsNoopWhenIdle()
    {
        durations::setForTest(durations::Kind::KeepAliveMinute, std::chrono::milliseconds(40));
        appSettings().keepAliveMinutes = 1;
        ScriptedServer server;
        scriptLogin(server);
        connectTo(server.port());
        QTRY_VERIFY_WITH_TIMEOUT(server.commands().count("NOOP") >= 2, 5000);
        QVERIFY(session().connected);
    }

    void keepAliveFailureDisconnects()
    {
        durations::setForTest(durations::Kind::KeepAliveMinute, std::chrono::milliseconds(40));
        appSettings().keepAliveMinutes = 1;
        ScriptedServer server;
        scriptLogin(server);
        server.on("NOOP", Reply("421 Timeout").thenClose());
        LogRecorder log;
        connectTo(server.port());
        QVERIFY(log.waitFor(loadText(TextId::ConnectionClosed), LogColor::Error));
        QVERIFY(log.waitFor(loadText(TextId::Disconnected), LogColor::Status));
        QVERIFY(!session().connected);
    }

    void noKeepAliveWithKeepConnectOff()
    {
        durations::setForTest(durations::Kind::KeepAliveMinute, std::chrono::milliseconds(20));
        appSettings().keepAliveMinutes = 1;
        appSettings().keepConnection = 0;
        ScriptedServer server;
        scriptLogin(server);
        connectTo(server.port());
        // Ten periods without a NOOP.
        QTest::qWait(200);
        QVERIFY(!server.commands().contains("NOOP"));
    }

    void disconnectEndsAReconnectDelay()
    {
        appSettings().retryCount = 2;
        appSettings().retryDelaySeconds = 3600;
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 closed = probe.serverPort();
        probe.close();
        session().serverHost = QStringLiteral("127.0.0.1");
        session().port = closed;
        LogRecorder log;
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QVERIFY(log.waitFor(formatText(TextId::DelayingBeforeReconnect, 3600), LogColor::Status));
        QVERIFY(frame_->action(cmd::Abort)->isEnabled());
        frame_->controller()->disconnect();
        QVERIFY(!session().busy());
        QVERIFY(!session().connected);
        QCOMPARE(frame_->windowTitle(), loadText(TextId::ProgramTitle));

        // Afterwards a session starts as usual.
        ScriptedServer server;
        scriptLogin(server);
        connectTo(server.port());
    }

    void disconnectWhileTheGreetingNeverComes()
    {
        // The QUIT that Disconnect still sends goes unanswered too; its wait is shortened.
        durations::setForTest(durations::Kind::JobDoneWait, std::chrono::milliseconds(300));
        ScriptedServer silent{Reply::silent()};
        session().serverHost = QStringLiteral("127.0.0.1");
        session().port = silent.port();
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_VERIFY(silent.connections() == 1);
        frame_->controller()->disconnect();
        QVERIFY(!session().busy());
        QVERIFY(!session().connected);
        QCOMPARE(session().controlSocket.load(), -1);
    }

    void abortAsksFirstWhileATransferRuns()
    {
        ScriptedServer server;
        scriptLogin(server);
        server.on("TYPE", "200 OK").on("PASV", Reply::pasv()).on("LIST", Reply("150 Listing"));
        server.on("ABOR", Reply("426 Aborted\r\n226 OK"));
        session().serverHost = QStringLiteral("127.0.0.1");
        session().port = server.port();
        session().userName = QStringLiteral("u");
        session().password = QStringLiteral("p");
        frame_->remotePane()->cache()->DeleteServerListings();
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(server.commands().contains("LIST"), 10000);
        // The hanging listing stands in for a queue transfer.
        session().transferRunning = true;
        LogRecorder log;
        {
            QString question;
            guitest::ModalWatcher no([&](QWidget *box) {
                question = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
                qobject_cast<QMessageBox *>(box)->button(QMessageBox::No)->click();
            });
            frame_->controller()->abort();
            QCOMPARE(question, loadText(TextId::ConfirmAbortTransfer).trimmed());
            QVERIFY(session().busy());
            QVERIFY(!server.commands().contains("ABOR"));
        }
        {
            guitest::ModalWatcher yes(
                [](QWidget *box) { qobject_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click(); });
            frame_->controller()->abort();
        }
        QVERIFY(log.waitFor(loadText(TextId::OperationCanceled), LogColor::Status));
        QVERIFY(server.commands().contains("ABOR"));
        QVERIFY(!session().busy());
        QVERIFY(!session().transferRunning);
        QVERIFY(session().connected);
    }

    void abortWithNothingRunningDoesNothing()
    {
        LogRecorder log;
        frame_->controller()->abort();
        QCoreApplication::processEvents();
        QVERIFY(!log.contains(loadText(TextId::OperationCanceled), LogColor::Status));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestRemoteConnection)
#include "tst_remoteconnection.moc"
