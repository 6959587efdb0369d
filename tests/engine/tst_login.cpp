#include "engine/controlconnection.h"
#include "engine/login.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QTest>

#include <atomic>
#include <thread>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

using Commands = QList<QByteArray>;

namespace
{

void pointAt(quint16 port)
{
    auto &s = controller().session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = port;
}

// Runs the login as the connect job does, on a thread of its own marked as the worker.
int loginOnWorker()
{
    std::atomic<int> result{-2};
    std::thread worker([&] {
        workerstop::beginWorker();
        result = Login(controller().session(), controller().session().login());
        workerstop::endWorker();
    });
    while (result == -2)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    return result;
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::freshController();
        controller().session().options.anonymousPassword = "me@example.org";
    }
    void cleanup() { testsupport::freshController(); }

    void loginSequences_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("userReply");
        QTest::addColumn<QByteArray>("passReply");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("anonymous");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<Commands>("commands");
        QTest::addColumn<ServerKind>("kind");
        QTest::addColumn<bool>("trailingSlash");

        const Commands userAndPass{"USER bob", "PASS pw"};
        const QByteArray plain = "220 ready\r\n";
        QTest::newRow("USER and PASS") << plain << QByteArray("331 password") << QByteArray("230 in") << "bob"
                                       << false << true << userAndPass << ServerKind::Generic << false;
        QTest::newRow("USER answered 230 sends no PASS")
            << plain << QByteArray("230 no password needed") << QByteArray() << "bob" << false << true
            << Commands{"USER bob"} << ServerKind::Generic << false;
        QTest::newRow("PASS answered 332 fails")
            << plain << QByteArray("331 password") << QByteArray("332 account") << "bob" << false << false
            << userAndPass << ServerKind::Generic << false;
        QTest::newRow("PASS answered 530 fails")
            << plain << QByteArray("331 password") << QByteArray("530 wrong") << "bob" << false << false
            << userAndPass << ServerKind::Generic << false;
        QTest::newRow("USER answered 530 fails")
            << plain << QByteArray("530 go away") << QByteArray() << "bob" << false << false
            << Commands{"USER bob"} << ServerKind::Generic << false;
        QTest::newRow("greeting 421 sends nothing")
            << QByteArray("421 too many users\r\n") << QByteArray() << QByteArray() << "bob" << false << false
            << Commands{} << ServerKind::Generic << false;
        QTest::newRow("120 before the greeting")
            << QByteArray("120 ready in a moment\r\n220 ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Generic << false;
        QTest::newRow("EXOS greeting")
            << QByteArray("220 host FTP server (EXOS v2.1) ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Exos << false;
        QTest::newRow("EXOS in a 120 reply")
            << QByteArray("120 (EXOS 1.0) starting\r\n220 ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Exos << false;
        // Every reply line before the login completes identifies the server, also the lines of a
        // multi-line greeting before its last, and replies after the greeting.
        QTest::newRow("Microsoft marker early in a multi-line greeting")
            << QByteArray("220-Microsoft FTP Service\r\n220 ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Microsoft
            << false;
        QTest::newRow("Microsoft overrides EXOS")
            << QByteArray("220 host FTP server (EXOS v2.1) ready\r\n")
            << QByteArray("331 WindowsNT wants a password") << QByteArray("230 in") << "bob" << false << true
            << userAndPass << ServerKind::Microsoft << false;
        QTest::newRow("WindowsNT in the USER reply")
            << plain << QByteArray("331 WindowsNT wants a password") << QByteArray("230 in") << "bob" << false
            << true << userAndPass << ServerKind::Microsoft << false;
        QTest::newRow("Serv-U early in a multi-line greeting")
            << QByteArray("220-Serv-U FTP Server v6.4\r\n220 ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Generic << true;
        // One greeting line: the reply reader's identification decides, the login's own check of the
        // greeting adds only EXOS and never overrides a Microsoft kind.
        QTest::newRow("EXOS and Microsoft in one greeting line")
            << QByteArray("220 Microsoft FTP Service (EXOS v2.1)\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Microsoft
            << false;
        QTest::newRow("Serv-U in the greeting's only line")
            << QByteArray("220 Serv-U FTP Server v15 ready\r\n") << QByteArray("331 password")
            << QByteArray("230 in") << "bob" << false << true << userAndPass << ServerKind::Generic << true;
        QTest::newRow("Serv-U with a Microsoft marker")
            << QByteArray("220 Serv-U on WindowsNT\r\n") << QByteArray("331 password") << QByteArray("230 in")
            << "bob" << false << true << userAndPass << ServerKind::Microsoft << false;
        QTest::newRow("empty user is anonymous")
            << plain << QByteArray("331 password") << QByteArray("230 in") << "" << false << true
            << Commands{"USER anonymous", "PASS me@example.org"} << ServerKind::Generic << false;
        QTest::newRow("anonymous flag")
            << plain << QByteArray("331 password") << QByteArray("230 in") << "bob" << true << true
            << Commands{"USER anonymous", "PASS me@example.org"} << ServerKind::Generic << false;
    }

    void loginSequences()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, userReply);
        QFETCH(QByteArray, passReply);
        QFETCH(QString, user);
        QFETCH(bool, anonymous);
        QFETCH(bool, succeeds);
        QFETCH(Commands, commands);
        QFETCH(ServerKind, kind);
        QFETCH(bool, trailingSlash);

        ScriptedServer server(Reply::raw(greeting));
        if (!userReply.isEmpty())
            server.on("USER", userReply);
        if (!passReply.isEmpty())
            server.on("PASS", passReply);
        pointAt(server.port());
        auto &s = controller().session();
        s.userName = user;
        s.password = QStringLiteral("pw");
        s.anonymousLogin = anonymous;
        LogRecorder log;

        const int socket = Login(s, s.login());
        QCOMPARE(socket >= 0, succeeds);
        QCOMPARE(s.connected.load(), succeeds);
        QCOMPARE(s.controlSocket.load(), socket);
        // A login that succeeds asks for the server's features at once.
        QCOMPARE(server.commands(), succeeds ? commands + Commands{"FEAT"} : commands);
        QCOMPARE(s.serverKind.load(), kind);
        QCOMPARE(s.trailingSlashDirs.load(), trailingSlash);

        QVERIFY(log.waitFor(QStringLiteral("Waiting for login...\n"), LogColor::Status));
        const bool userRejected = !succeeds && !commands.isEmpty();
        if (userRejected)
            QVERIFY(log.waitFor(QStringLiteral("Login failed\n"), LogColor::Error));
        else
            QVERIFY(!log.contains(QStringLiteral("Login failed\n"), LogColor::Error));
        if (commands.size() > 1)
            QVERIFY(log.contains(QStringLiteral("PASS xxxxxx\n"), LogColor::Command));
        for (const auto &line : log.lines())
            QVERIFY2(!line.text.contains(QLatin1String("PASS pw")), qPrintable(line.text));
    }

    void alreadyConnectedRefusesAtOnce()
    {
        ScriptedServer server;
        pointAt(server.port());
        controller().session().connected = true;
        QCOMPARE(Login(controller().session(), controller().session().login()), -1);
        QCOMPARE(server.connections(), 0);
    }

    void passwordIsAskedOnTheWindowThread_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("typed") << std::optional<QString>(QStringLiteral("typed")) << QByteArray("PASS typed");
        QTest::newRow("cancelled") << std::optional<QString>() << QByteArray("PASS ");
    }

    void passwordIsAskedOnTheWindowThread()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QByteArray, sent);
        ScriptedServer server;
        server.on("USER", "331 password").on("PASS", "230 in");
        pointAt(server.port());
        controller().session().userName = QStringLiteral("bob");
        int asked = 0;
        testsupport::TestViews views;
        views.onAskPassword = [&] {
            ++asked;
            [&] { QVERIFY(uithread::isUiThread()); }();
            return answer;
        };

        QVERIFY(loginOnWorker() >= 0);
        QCOMPARE(asked, 1);
        QCOMPARE(server.commands(), (Commands{"USER bob", sent, "FEAT"}));
        QVERIFY(controller().session().password.isEmpty());
    }

    void realServer_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("userEcho");
        QTest::newRow("anonymous") << QString() << QString() << QStringLiteral("USER anonymous\n");
        QTest::newRow("tester") << QStringLiteral("tester") << QStringLiteral("secret")
                                << QStringLiteral("USER tester\n");
    }

    void realServer()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, userEcho);
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        pointAt(server.port());
        controller().session().userName = user;
        controller().session().password = password;
        LogRecorder log;

        const int socket = loginOnWorker();
        QVERIFY(socket >= 0);
        QVERIFY(controller().session().connected);
        QVERIFY(log.waitFor(QStringLiteral("220 pyftpdlib ready.\n"), LogColor::Reply));
        QVERIFY(log.waitFor(userEcho, LogColor::Command));
        QVERIFY(log.waitFor(QStringLiteral("PASS xxxxxx\n"), LogColor::Command));
        QVERIFY(log.waitFor(QStringLiteral("230 Login successful.\n"), LogColor::Reply));
        QCOMPARE(SendCommand(controller().session(), "QUIT"), 2);
    }
};

QTEST_GUILESS_MAIN(TestLogin)
#include "tst_login.moc"
