#include "engine/controlconnection.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"

#include <QTest>

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

int connectTo(const ScriptedServer &server)
{
    auto &s = controller().session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = server.port();
    s.controlSocket = OpenConnection(s, s.serverHost, s.port, "ftp", "tcp");
    return s.controlSocket;
}

int pendingBytes(int socket)
{
    int count = 0;
    ioctl(socket, FIONREAD, &count);
    return count;
}

int replyLinesLogged(const LogRecorder &log)
{
    QCoreApplication::processEvents();
    int count = 0;
    for (const auto &line : log.lines())
        count += line.color == LogColor::Reply ? 1 : 0;
    return count;
}

} // namespace

class TestReplyReader : public QObject
{
    Q_OBJECT
private slots:
    void init() { testsupport::freshController(); }
    void cleanup() { testsupport::freshController(); }

    void readsOneReplyAndLeavesTheNext_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("exos");
        QTest::addColumn<bool>("byteAtATime");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("lastLine");
        QTest::addColumn<int>("linesLogged");

        const QByteArray longLine = "220 " + QByteArray(96, 'x');
        const QByteArray exosLine = "220 EXOS\r" + QByteArray(90, 'e');
        QTest::newRow("one line") << QByteArray("220 ready\r\n") << false << false << 2
                                  << QByteArray("220 ready") << 1;
        QTest::newRow("line feed only")
            << QByteArray("220 ready\n") << false << false << 2 << QByteArray("220 ready") << 1;
        QTest::newRow("three-line greeting") << QByteArray("220-Welcome\r\nplain text\r\n220 ready\r\n")
                                             << false << false << 2 << QByteArray("220 ready") << 3;
        QTest::newRow("other code inside") << QByteArray("230-first\r\n200 inside\r\n230 last\r\n") << false
                                           << false << 2 << QByteArray("230 last") << 3;
        QTest::newRow("550 stays 550") << QByteArray("550 No such file\r\n") << false << false << 550
                                       << QByteArray("550 No such file") << 1;
        QTest::newRow("553 is class 5")
            << QByteArray("553 Not allowed\r\n") << false << false << 5 << QByteArray("553 Not allowed") << 1;
        QTest::newRow("421 is class 4")
            << QByteArray("421 Timeout\r\n") << false << false << 4 << QByteArray("421 Timeout") << 1;
        QTest::newRow("trailing blanks stripped")
            << QByteArray("200 ok  \r\n") << false << false << 2 << QByteArray("200 ok") << 1;
        QTest::newRow("100-byte line past the peek") << longLine + "\r\n"
                                                     << false << false << 2 << longLine << 1;
        QTest::newRow("byte at a time")
            << QByteArray("220-a\r\n220 b\r\n") << false << true << 2 << QByteArray("220 b") << 2;
        QTest::newRow("NUL byte ends the text")
            << QByteArray("220\0garbage\r\n", 13) << false << false << 2 << QByteArray("220") << 1;
        QTest::newRow("EXOS long line") << exosLine + "\r\n" << true << false << 2 << exosLine << 1;
        QTest::newRow("line cut at 20479") << "220-" + QByteArray(25000, 'y') + "\r\n220 end\r\n"
                                           << false << false << 2 << QByteArray("220 end") << 3;
        QTest::newRow("100 kB line") << "220-" + QByteArray(100000, 'x') + "\r\n220 done\r\n"
                                     << false << false << 2 << QByteArray("220 done") << 6;
    }

    void readsOneReplyAndLeavesTheNext()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, exos);
        QFETCH(bool, byteAtATime);
        QFETCH(int, result);
        QFETCH(QByteArray, lastLine);
        QFETCH(int, linesLogged);

        const QByteArray next = "200 next\r\n";
        Reply greeting = Reply::raw(script + next);
        if (byteAtATime)
            greeting.byteAtATime(1);
        ScriptedServer server(greeting);
        controller().session().serverKind = exos ? ServerKind::Exos : ServerKind::Generic;
        const int socket = connectTo(server);
        QVERIFY(socket >= 0);
        LogRecorder log;

        QCOMPARE(ReadReply(controller().session()), result);
        QCOMPARE(controller().session().replyText(), lastLine);
        QCOMPARE(controller().session().replyDepth, 0);
        QCOMPARE(replyLinesLogged(log), linesLogged);
        if (!byteAtATime)
            QTRY_COMPARE(pendingBytes(socket), int(next.size()));
        QCOMPARE(ReadReply(controller().session()), 2);
        QCOMPARE(controller().session().replyText(), QByteArray("200 next"));
        ::close(socket);
    }

    void longLineIsLoggedInPieces()
    {
        ScriptedServer server(Reply::raw("220-" + QByteArray(25000, 'y') + "\r\n220 end\r\n"));
        const int socket = connectTo(server);
        LogRecorder log;
        QCOMPARE(ReadReply(controller().session()), 2);
        QCoreApplication::processEvents();
        QStringList replies;
        for (const auto &line : log.lines())
            if (line.color == LogColor::Reply)
                replies << line.text;
        QCOMPARE(replies.size(), 3);
        QCOMPARE(replies[0], "220-" + QString(20475, QLatin1Char('y')) + "\n");
        QCOMPARE(replies[1], QString(4525, QLatin1Char('y')) + "\n");
        ::close(socket);
    }

    // A reply of a million lines is cut at a thousand: a few lines reach the log, the
    // connection is closed, and nothing is left counted.
    void endlessReplyIsCut()
    {
        QByteArray script;
        const int count = 1000000;
        script.reserve(count * 7 + 16);
        for (int i = 0; i < count; ++i)
            script += "230-x\r\n";
        script += "230 end\r\n";
        ScriptedServer server(Reply::raw(script));
        LogRecorder log;
        QVERIFY(connectTo(server) >= 0);
        QCOMPARE(ReadReply(controller().session()), 0);
        QCOMPARE(controller().session().replyDepth, 0);
        QCOMPARE(controller().session().controlSocket.load(), -1);
        QVERIFY(log.waitFor(
            QStringLiteral("The server's reply was cut after 1000 lines; the connection is closed\n"),
            LogColor::Error));
        QCOMPARE(replyLinesLogged(log), 1000);
    }

    // Wherever the server closes, the reader returns; it reports a class only when the last
    // piece received was a line that ends the reply ("230" or "230 ...").
    void serverClosingAtAnyMoment()
    {
        const QByteArray script = "230-a\r\n230-b\r\n230 end\r\n";
        for (int cut = 0; cut <= script.size(); ++cut) {
            ScriptedServer server(Reply::raw(script.left(cut)).thenClose());
            const int socket = connectTo(server);
            QVERIFY(socket >= 0);
            const QByteArray received = script.left(cut);
            const QByteArray fragment =
                cut == script.size() ? QByteArray("230 end") : received.mid(received.lastIndexOf('\n') + 1);
            const bool ends = fragment.startsWith("230") && (fragment.size() == 3 || fragment[3] != '-');
            const int expected = ends ? 2 : 0;
            QVERIFY2(ReadReply(controller().session()) == expected, qPrintable(QStringLiteral("cut at %1").arg(cut)));
            QCOMPARE(controller().session().replyDepth, 0);
            QCOMPARE(ReadReply(controller().session()), 0);
            ::close(socket);
        }
    }

    void commandsAreSentAndEchoed_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("trailingSlash");
        QTest::addColumn<QString>("echo");
        QTest::newRow("password masked")
            << QByteArray("PASS secret") << false << QStringLiteral("PASS xxxxxx\n");
        QTest::newRow("percent unchanged")
            << QByteArray("RETR 100%s%d%n.txt") << false << QStringLiteral("RETR 100%s%d%n.txt\n");
        QTest::newRow("Serv-U slash hidden")
            << QByteArray("CWD /pub/") << true << QStringLiteral("CWD /pub\n");
        QTest::newRow("slash kept elsewhere")
            << QByteArray("CWD /pub/") << false << QStringLiteral("CWD /pub/\n");
        QTest::newRow("slash kept on other commands")
            << QByteArray("LIST /pub/") << true << QStringLiteral("LIST /pub/\n");
    }

    void commandsAreSentAndEchoed()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, trailingSlash);
        QFETCH(QString, echo);
        ScriptedServer server;
        server.on("", "200 fine");
        const int socket = connectTo(server);
        QCOMPARE(ReadReply(controller().session()), 2);
        controller().session().trailingSlashDirs = trailingSlash;
        LogRecorder log;

        QCOMPARE(SendCommand(controller().session(), command), 2);
        QCOMPARE(server.commands(), QList<QByteArray>{command});
        QCoreApplication::processEvents();
        const QList<LogRecorder::Line> expected{{echo, LogColor::Command}, {"200 fine\n", LogColor::Reply}};
        QCOMPARE(log.lines(), expected);
        ::close(socket);
    }

    // Whatever a caller let through, a line break never reaches the server: the bytes after it
    // would be read as commands of their own.
    void lineBreaksAreNeverSent_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("lineOnly"); // SendLine rather than SendCommand
        QTest::newRow("CR LF") << QByteArray("CWD /x\r\nDELE precious") << false;
        QTest::newRow("LF alone") << QByteArray("RETR a\nDELE precious") << false;
        QTest::newRow("CR alone") << QByteArray("RNTO b\rDELE precious") << false;
        QTest::newRow("NUL") << QByteArray("STOR a\0DELE precious", 21) << false;
        QTest::newRow("line without a reply") << QByteArray("NOOP\r\nDELE precious") << true;
    }

    void lineBreaksAreNeverSent()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, lineOnly);
        ScriptedServer server;
        server.on("", "200 fine");
        const int socket = connectTo(server);
        QCOMPARE(ReadReply(controller().session()), 2);
        LogRecorder log;

        if (lineOnly)
            QCOMPARE(SendLine(controller().session(), command), -1);
        else
            QCOMPARE(SendCommand(controller().session(), command), 0);
        QCOMPARE(SendCommand(controller().session(), "NOOP"), 2);
        QCOMPARE(server.commands(), QList<QByteArray>{"NOOP"});
        QCOMPARE(log.texts(LogColor::Error), QStringList{loadText(TextId::ControlCharacterRefused)});
        QCOMPARE(log.texts(LogColor::Command), QStringList{"NOOP\n"});
        ::close(socket);
    }

    void abortReadsTwoReplies()
    {
        ScriptedServer server;
        server.on("ABOR", "426 Transfer aborted\r\n226 ABOR command successful");
        server.on("NOOP", "200 NOOP ok");
        const int socket = connectTo(server);
        QCOMPARE(ReadReply(controller().session()), 2);
        QCOMPARE(SendCommand(controller().session(), "ABOR"), 2);
        QCOMPARE(controller().session().replyText(), QByteArray("226 ABOR command successful"));
        QCOMPARE(SendCommand(controller().session(), "NOOP"), 2);
        QCOMPARE(controller().session().replyText(), QByteArray("200 NOOP ok"));
        ::close(socket);
    }

    void commandWithoutConnection()
    {
        LogRecorder log;
        QCOMPARE(SendCommand(controller().session(), "NOOP"), 0);
        QCOMPARE(ReadReply(controller().session()), 0);
        QCoreApplication::processEvents();
        const QList<LogRecorder::Line> expected{{"NOOP\n", LogColor::Command},
                                                {"Not connected\n", LogColor::Error}};
        QCOMPARE(log.lines(), expected);
    }

    void openConnectionLogsWhereItConnected()
    {
        ScriptedServer server;
        LogRecorder log;
        const int socket = connectTo(server);
        QVERIFY(socket >= 0);
        QCOMPARE(controller().session().serverAddress.port(), server.port());
        QVERIFY(log.waitFor(QStringLiteral("Connecting to 127.0.0.1...\n"), LogColor::Status));
        QVERIFY(
            log.waitFor(QStringLiteral("Connected to 127.0.0.1 (ip=127.0.0.1) port %1\n").arg(server.port()),
                        LogColor::Status));
        ::close(socket);
    }

    void openConnectionRefused()
    {
        const quint16 port = testsupport::closedLoopbackPort();
        QVERIFY(port != 0);

        LogRecorder log;
        controller().session().serverHost = QStringLiteral("127.0.0.1");
        controller().session().port = port;
        QCOMPARE(OpenConnection(controller().session(), controller().session().serverHost, controller().session().port, "ftp", "tcp"), -1);
        QVERIFY(log.waitFor(QStringLiteral("Connection refused\n"), LogColor::Error));
    }

    // A port beyond 16 bits once wrapped round to another port, here one with a server on it.
    void openConnectionRefusesPortsBeyondSixteenBits_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("above 65535") << 65536;
        QTest::newRow("negative") << -65536;
    }

    void openConnectionRefusesPortsBeyondSixteenBits()
    {
        QFETCH(int, offset);
        ScriptedServer server;
        LogRecorder log;
        QCOMPARE(OpenConnection(controller().session(), QStringLiteral("127.0.0.1"), server.port() + offset, "ftp", "tcp"),
                 -1);
        QVERIFY(log.waitFor(QStringLiteral("The remote address or port is not valid\n"), LogColor::Error));
    }

    void unknownServiceOnPort21Fails()
    {
        LogRecorder log;
        controller().session().port = 21;
        QCOMPARE(
            OpenConnection(controller().session(), QStringLiteral("127.0.0.1"), controller().session().port, "no-such-service", "tcp"),
            -1);
        QCOMPARE(
            OpenConnection(controller().session(), QStringLiteral("127.0.0.1"), controller().session().port, "ftp", "no-such-protocol"),
            -1);
        QCoreApplication::processEvents();
        for (const auto &line : log.lines())
            QVERIFY2(line.color != LogColor::Error, qPrintable(line.text));
    }
};

QTEST_GUILESS_MAIN(TestReplyReader)
#include "tst_replyreader.moc"
