#include "engine/controlconnection.h"
#include "engine/login.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include <QElapsedTimer>
#include <QTest>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

// Servers that say yes to AUTH TLS and then break the handshake: each ends the login with a red
// line, within the time limits, before the user name goes out, and the next connection works.
class TestTlsHostile : public QObject
{
    Q_OBJECT

    static LoginFields loginTo(quint16 port, Encryption encryption)
    {
        LoginFields login;
        login.serverHost = QStringLiteral("127.0.0.1");
        login.port = port;
        login.userName = QStringLiteral("tester");
        login.password = QStringLiteral("secret");
        login.encryption = encryption;
        return login;
    }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        durations::setForTest(durations::Kind::Watchdog, std::chrono::milliseconds(1500));
    }
    void cleanupTestCase() { durations::resetForTest(); }

    void brokenHandshake_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("234 then plain text") << 0;
        QTest::newRow("close during the handshake") << 1;
        QTest::newRow("garbage instead of a handshake") << 2;
        QTest::newRow("silence instead of a handshake") << 3;
    }
    void brokenHandshake()
    {
        QFETCH(int, fault);
        QByteArray garbage(600, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 151 + 7) & 0xFF);
        const Reply answers[] = {Reply::raw("234 Proceed\r\n220 plain text where a handshake belongs\r\n"),
                                 Reply("234 Proceed").thenClose(), Reply::raw("234 Proceed\r\n" + garbage),
                                 Reply("234 Proceed")};
        ScriptedServer server;
        server.once("AUTH", answers[fault]);
        // The handshake's bytes are no commands: the server must not answer them.
        server.on(QByteArray(), Reply::silent());
        server.on("USER", Reply("230 Logged in"));
        server.on("FEAT", Reply("500 Unknown command"));
        LogRecorder log;
        FtpConnection connection;
        int socket = 0;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(testsupport::runOnWorker(
            [&] { socket = Login(connection, loginTo(server.port(), Encryption::ExplicitIfOffered)); }, 15000));
        QCOMPARE(socket, -1);
        QVERIFY(clock.elapsed() < 5000);
        bool redLine = false;
        for (const QString &text : log.texts(LogColor::Error))
            redLine |= text.startsWith(QStringLiteral("TLS handshake failed: "));
        QVERIFY(redLine);
        // Nothing after AUTH TLS but the handshake's bytes.
        for (const QByteArray &command : server.commands())
            QVERIFY(!command.startsWith("USER") && !command.startsWith("PASS"));
        QCOMPARE(connection.controlSocket.load(), -1);
        QVERIFY(!connection.controlTls);

        // The same record connects anew.
        QVERIFY(testsupport::runOnWorker(
            [&] { socket = Login(connection, loginTo(server.port(), Encryption::Plain)); }, 15000));
        QVERIFY(socket != -1);
        QVERIFY(connection.connected);
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // Abort and Disconnect stop the worker: a handshake that waits for the server ends at once.
    void stopEndsTheHandshake()
    {
        durations::setForTest(durations::Kind::Watchdog, std::chrono::milliseconds(60000));
        ScriptedServer server;
        server.once("AUTH", Reply("234 Proceed"));
        server.on(QByteArray(), Reply::silent());
        FtpConnection connection;
        QElapsedTimer clock;
        clock.start();
        const bool finished = testsupport::runOnWorker(
            [&] { (void)Login(connection, loginTo(server.port(), Encryption::ExplicitRequired)); }, 1000);
        QVERIFY(!finished);
        QVERIFY(clock.elapsed() < 1000 + 3500);
        durations::setForTest(durations::Kind::Watchdog, std::chrono::milliseconds(1500));
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
        QVERIFY(!connection.controlTls);
    }
};

QTEST_GUILESS_MAIN(TestTlsHostile)
#include "tst_tls_hostile.moc"
