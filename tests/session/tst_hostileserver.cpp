// Servers that misbehave, and stops at every point where the worker can block: the program says
// what happened, ends the login or the session cleanly, and never waits past its bounds.
#include "engine/controlconnection.h"
#include "engine/hostresolver.h"
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

#include <QDir>
#include <QTest>

#include <thread>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

namespace
{

using Rules = QList<QPair<QByteArray, Reply>>;

const Rules loginRules{{"USER", Reply("331 Password required")},
                       {"PASS", Reply("230 Logged in")},
                       {"PWD", Reply("257 \"/\" is the current directory")},
                       {"CWD", Reply("250 OK")},
                       {"TYPE", Reply("200 Type set")}};

bool sent(const ScriptedServer &server, const QByteArray &prefix)
{
    return QTest::qWaitFor([&] {
        for (const QByteArray &command : server.commands())
            if (command.startsWith(prefix))
                return true;
        return false;
    });
}

bool waitForIdle(int timeoutMs = 10000)
{
    return QTest::qWaitFor([] { return !controller().session().busy() && !controller().worker().running(); }, timeoutMs);
}

void startConnect(const ScriptedServer &server, const QString &host = QStringLiteral("127.0.0.1"))
{
    Session &s = controller().session();
    s.serverHost = host;
    s.port = server.port();
    s.userName = QStringLiteral("u");
    s.password = QStringLiteral("p");
    s.anonymousLogin = false;
    QVERIFY(controller().startJob(ConnectRequest{}));
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

QByteArray continuationLines(int count)
{
    QByteArray lines;
    lines.reserve(count * 7);
    for (int i = 0; i < count; ++i)
        lines += "220-x\r\n";
    return lines;
}

} // namespace

class TestHostileServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init()
    {
        testsupport::freshController();
        appSettings().retryCount = 0;
        appSettings().soundEffects = 1;
    }
    void cleanup()
    {
        hostresolver::setLookupForTest({});
        testsupport::freshController();
    }

    // Each of these ends the login with a message in red, whatever the server does next.
    void loginAgainstBrokenServers_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<bool>("closeAfterGreeting");
        QTest::addColumn<QByteArray>("userReply");
        QTest::addColumn<QStringList>("expected");
        const QString cut =
            QStringLiteral("The server's reply was cut after 1000 lines; the connection is closed\n");
        const QString closed = QStringLiteral("The server closed the connection\n");
        const QString noReply =
            QStringLiteral("The server sent a line that is not an FTP reply; the connection is closed\n");
        const QString failed = QStringLiteral("Login failed\n");
        QTest::newRow("endless greeting")
            << continuationLines(1200000) << false << QByteArray() << QStringList{cut};
        QTest::newRow("closed in the greeting")
            << QByteArray("220-Welcome\r\n") << true << QByteArray() << QStringList{closed};
        QTest::newRow("garbage, then closed")
            << QByteArray(1 << 20, 'z') << true << QByteArray() << QStringList{noReply};
        QTest::newRow("closed after USER")
            << QByteArray("220 ready\r\n") << false << QByteArray("close") << QStringList{closed, failed};
        QTest::newRow("999 to USER") << QByteArray("220 ready\r\n") << false << QByteArray("999 x")
                                     << QStringList{noReply, failed};
        QTest::newRow("000 to USER") << QByteArray("220 ready\r\n") << false << QByteArray("000 x")
                                     << QStringList{noReply, failed};
        QTest::newRow("abc to USER") << QByteArray("220 ready\r\n") << false << QByteArray("abc")
                                     << QStringList{noReply, failed};
    }

    void loginAgainstBrokenServers()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(bool, closeAfterGreeting);
        QFETCH(QByteArray, userReply);
        QFETCH(QStringList, expected);
        Reply first = Reply::raw(greeting);
        if (closeAfterGreeting)
            first.thenClose();
        ScriptedServer server(first);
        if (userReply == "close")
            server.on("USER", Reply::raw(QByteArray()).thenClose());
        else if (!userReply.isEmpty())
            server.on("USER", Reply(userReply));
        testsupport::TestViews views;
        LogRecorder log;

        startConnect(server);
        QVERIFY(waitForIdle());
        QCOMPARE(log.texts(LogColor::Error), expected);
        QVERIFY(!controller().session().connected);
        QCOMPARE(controller().session().controlSocket.load(), -1);
        QCOMPARE(controller().session().replyDepth, 0);
        int replyLines = 0;
        for (const auto &line : log.lines())
            replyLines += line.color == LogColor::Reply ? 1 : 0;
        QVERIFY(replyLines <= 1000);
    }

    // The working directory as the server names it, however odd its reply.
    void workingDirectoryReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("path");
        const QByteArray longPath = '/' + QByteArray(10000, 'p');
        QTest::newRow("no quotes") << QByteArray("257 / is the current directory") << QByteArray("/");
        QTest::newRow("doubled quotes") << QByteArray("257 \"/home/\"\"quoted\"\"\" is the current directory")
                                        << QByteArray("/home/\"quoted\"");
        QTest::newRow("10,000 bytes") << "257 \"" + longPath + "\" is the current directory" << longPath;
    }

    void workingDirectoryReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, path);
        ScriptedServer server;
        for (const auto &[prefix, answer] : loginRules)
            server.on(prefix, answer);
        server.on("PWD", Reply(reply));
        testsupport::TestViews views;
        QByteArray shown;
        views.onSetRemotePath = [&shown](const QByteArray &p) { shown = p; };
        startConnect(server);
        QVERIFY(waitForIdle());
        QTRY_COMPARE(shown, path);
    }

    // "421" in the middle of a session ends it: nothing more is sent on that connection.
    void serviceNotAvailableEndsTheSession()
    {
        ScriptedServer server;
        for (const auto &[prefix, answer] : loginRules)
            server.on(prefix, answer);
        server.on("CWD", Reply("421 Service not available"));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        QString title;
        views.onWindowTitle = [&title](const QString &text) { title = text; };
        LogRecorder log;
        startConnect(server);
        QVERIFY(waitForIdle());
        QVERIFY(controller.session().connected);

        QVERIFY(controller.startJob(RefreshRequest{"/elsewhere", std::nullopt}));
        QVERIFY(waitForIdle());
        QVERIFY(log.waitFor(QStringLiteral("Disconnected\n"), LogColor::Status));
        QVERIFY(log.texts(LogColor::Error).contains(QStringLiteral("The server ended the session (421)\n")));
        QVERIFY(!controller.session().connected);
        QCOMPARE(controller.session().controlSocket.load(), -1);
        QTRY_COMPARE(title, loadText(TextId::ProgramTitle));
        const qsizetype sent = server.commands().size();
        controller.disconnect();
        QCOMPARE(server.commands().size(), sent);
        QVERIFY(!log.texts(LogColor::Error).contains(QStringLiteral("Socket data send error\n")));
    }

    // A server that sends part of a line and then nothing: the watchdog ends the job, the reply
    // count comes back down, the wait cursor goes.
    void partOfALineThenSilence()
    {
        durations::setForTest(durations::Kind::Watchdog, 300ms);
        ScriptedServer server(Reply::raw("220-first line\r\n220 par"));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        bool cursor = false;
        views.onSetWaitCursor = [&cursor](bool on) { cursor = on; };
        startConnect(server);
        QVERIFY(waitForIdle());
        QVERIFY(controller.session().abortRequested);
        QCOMPARE(controller.session().replyDepth, 0);
        QTRY_VERIFY(!cursor);
        QVERIFY(!controller.session().waitCursor);
    }

    // Stops wherever the worker waits: each ends at once, closes what it opened, and leaves the
    // session as a clean end would.
    void stopsAtEveryBlockingPoint_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("before the greeting") << QStringLiteral("greeting");
        QTest::newRow("greeting one byte at a time") << QStringLiteral("slow greeting");
        QTest::newRow("in the middle of a reply") << QStringLiteral("mid reply");
        QTest::newRow("waiting for the PORT reply") << QStringLiteral("port");
        QTest::newRow("during a listing") << QStringLiteral("listing");
        QTest::newRow("in a name lookup") << QStringLiteral("lookup");
    }

    void stopsAtEveryBlockingPoint()
    {
        QFETCH(QString, where);
        Reply greeting("220 ready");
        if (where == QLatin1String("greeting"))
            greeting = Reply::silent();
        else if (where == QLatin1String("slow greeting"))
            greeting = Reply("220 Welcome to a very slow server indeed").byteAtATime(200);
        else if (where == QLatin1String("mid reply"))
            greeting = Reply::raw("220-first line\r\n");
        ScriptedServer server(greeting);
        for (const auto &[prefix, answer] : loginRules)
            server.on(prefix, answer);
        server.on("PORT", Reply::silent());
        server.on("PASV", Reply::pasv());
        server.on("LIST", Reply("150 Here comes the listing"));
        server.on("ABOR", Reply("426 Aborted\r\n226 Abort successful"));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        LogRecorder log;
        const bool loginFirst = where == QLatin1String("port") || where == QLatin1String("listing");
        if (where == QLatin1String("lookup")) {
            // A lookup that hangs far longer than any stop may wait.
            hostresolver::setLookupForTest([](const QByteArray &) -> std::vector<SocketAddress> {
                std::this_thread::sleep_for(20s);
                return {};
            });
            startConnect(server, QStringLiteral("hangs.example"));
            QVERIFY(log.waitFor(QStringLiteral("Connecting to hangs.example...\n"), LogColor::Status));
        } else {
            startConnect(server);
        }
        if (loginFirst) {
            QVERIFY(waitForIdle());
            QVERIFY(controller.session().connected);
            controller.session().passive = where == QLatin1String("listing");
        }
        const int descriptors = openDescriptors();
        if (where == QLatin1String("port") || where == QLatin1String("listing")) {
            QVERIFY(controller.startJob(RefreshRequest{"/", std::nullopt}));
            QVERIFY(sent(server, where == QLatin1String("port") ? "PORT" : "LIST"));
            QTest::qWait(100);
        } else if (where == QLatin1String("mid reply")) {
            QVERIFY(log.waitFor(QStringLiteral("220-first line\n"), LogColor::Reply));
        } else if (where != QLatin1String("lookup")) {
            QTest::qWait(300);
        }

        controller.abort();
        // The stopped job is gone at once; after a login the ABOR job may still be on its last steps.
        if (loginFirst)
            QTRY_VERIFY(!controller.worker().running());
        else
            QVERIFY(!controller.worker().running());
        QVERIFY(!controller.session().busy());
        QCOMPARE(controller.session().replyDepth, 0);
        QCOMPARE(controller.session().listenSocket.load(), -1);
        QCOMPARE(controller.session().dataSocket.load(), -1);
        QVERIFY(!controller.session().listingTransfer);
        QCOMPARE(controller.session().options.bell, true);
        QCOMPARE(appSettings().soundEffects.load(), 1);
        if (loginFirst) {
            // The session goes on, and the stopped job's listening socket is not left open (the
            // server of this test lives in this process, so only the PORT case counts alone).
            QVERIFY(controller.session().connected);
            if (where == QLatin1String("port"))
                QVERIFY(openDescriptors() <= descriptors);
        } else {
            // Before the login: no ABOR, and the connection is closed at once.
            QVERIFY(!server.commands().contains("ABOR"));
            QCOMPARE(controller.session().controlSocket.load(), -1);
            QVERIFY(!controller.session().connected);
        }
    }

    // A command stopped before its reply came: the reply is read then, so the next command gets
    // its own.
    void abortedCommandLeavesNoStaleReply()
    {
        ScriptedServer server;
        for (const auto &[prefix, answer] : loginRules)
            server.on(prefix, answer);
        server.on("STAT", Reply("211 late status").delay(300));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        startConnect(server);
        QVERIFY(waitForIdle());
        QVERIFY(controller.startJob(UserCommandRequest{"STAT"}));
        QVERIFY(sent(server, "STAT"));
        controller.abort();
        QTRY_VERIFY(!controller.worker().running());
        QByteArray reply;
        QCOMPARE(SendCommand(controller.session(), "PWD", &reply), 2);
        QCOMPARE(reply, QByteArray("257 \"/\" is the current directory"));
    }

    // Disconnect while a reply trickles without end: the ABOR gets no answer in time, so no QUIT
    // is waited for as well; the session is closed.
    void disconnectDoesNotWaitTwice()
    {
        durations::setForTest(durations::Kind::JobDoneWait, 500ms);
        ScriptedServer server;
        for (const auto &[prefix, answer] : loginRules)
            server.on(prefix, answer);
        server.on("PASV", Reply::pasv());
        server.on("LIST", Reply("150 Here comes the listing"));
        server.on("ABOR", Reply("426-" + QByteArray(5000, 'a')).byteAtATime(100));
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        startConnect(server);
        QVERIFY(waitForIdle());
        QVERIFY(controller.startJob(RefreshRequest{"/", std::nullopt}));
        QVERIFY(sent(server, "LIST"));
        QTest::qWait(100);

        LogRecorder log;
        controller.disconnect();
        QVERIFY(log.contains(QStringLiteral("ABOR\n"), LogColor::Command));
        QVERIFY(!log.contains(QStringLiteral("QUIT\n"), LogColor::Command));
        QVERIFY(!controller.session().connected);
        QCOMPARE(controller.session().controlSocket.load(), -1);
        QVERIFY(!controller.worker().running());
    }
};

QTEST_MAIN(TestHostileServer)
#include "tst_hostileserver.moc"
