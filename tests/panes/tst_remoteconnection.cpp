#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "panes/remotewnd.h"
#include "platform/durations.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "session/sessionstate.h"
#include "shell/appsettings.h"
#include "shell/commandids.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace {

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

class TestRemoteConnection : public QObject {
    Q_OBJECT

    std::unique_ptr<CMainFrame> frame_;

    void startFrame()
    {
        guitest::ModalWatcher watcher;
        frame_ = std::make_unique<CMainFrame>();
        frame_->show();
        QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
    }

    void connectTo(quint16 port)
    {
        SessionState &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = port;
        s.userName = QStringLiteral("tester");
        s.password = QStringLiteral("secret");
        s.anonymousLogin = false;
        QSignalSpy started(frame_->remotePane(), &CRemoteWnd::sessionStarted);
        frame_->updateCommandStates();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QVERIFY(s.connected);
        QTRY_VERIFY_WITH_TIMEOUT(!s.busy, 10000);
    }

private slots:
    void init()
    {
        guitest::clearSettings();
        testsupport::resetSession();
        appSettings().retryCount = 0;
        appSettings().soundEffects = 0;
        appSettings().keepConnection = 1;
        appSettings().keepAliveMinutes = 3;
        startFrame();
    }

    void cleanup()
    {
        frame_.reset();
        testsupport::resetSession();
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
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastServer"), {}), QStringLiteral("127.0.0.1"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastUser"), {}), QStringLiteral("tester"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastPassword"), {}), QStringLiteral("secret"));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("LastPort"), 0), int(server.port()));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastRemote"), {}), QStringLiteral("/pub"));
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("LastLocal"), {}), QStringLiteral("/tmp"));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("LastLogin"), -1), 0);
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("Relative"), -1), 1);

        // The next start reads them back into the session.
        frame_.reset();
        testsupport::resetSession();
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
        QTRY_COMPARE(frame_->windowTitle(), loadString(128) + QStringLiteral(" - 127.0.0.1"));
        LogRecorder log;
        frame_->updateCommandStates();
        frame_->action(cmd::Disconnect)->trigger();
        QVERIFY(log.waitFor(loadString(162), LogColor::Status));
        QVERIFY(server.commands().contains("QUIT"));
        QVERIFY(!session().connected);
        QCOMPARE(session().controlSocket.load(), -1);
        QCOMPARE(frame_->windowTitle(), loadString(128));
        QVERIFY(!frame_->remotePane()->keepAliveTimer()->isActive());
    }

    void disconnectWhenQuitIsNeverAnswered()
    {
        durations::setForTest(durations::Kind::JobDoneWait, std::chrono::milliseconds(300));
        ScriptedServer server;
        scriptLogin(server);
        server.on("QUIT", Reply::silent());
        connectTo(server.port());
        LogRecorder log;
        frame_->remotePane()->Disconnect();
        // Disconnect returns only after its bounded wait; the window kept working meanwhile.
        QVERIFY(log.waitFor(loadString(162), LogColor::Status, 100));
        QVERIFY(!session().connected);
        QVERIFY(!session().busy);
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
        QVERIFY(log.waitFor(loadString(171), LogColor::Error));
        QVERIFY(log.waitFor(loadString(162), LogColor::Status));
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

    void abortWithNothingRunningDoesNothing()
    {
        LogRecorder log;
        frame_->remotePane()->AbortJob();
        QCoreApplication::processEvents();
        QVERIFY(!log.contains(loadString(163), LogColor::Status));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestRemoteConnection)
#include "tst_remoteconnection.moc"
