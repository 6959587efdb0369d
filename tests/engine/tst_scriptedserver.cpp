#include "engine/controlconnection.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"

#include <QRegularExpression>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::controller;

using testsupport::Reply;
using testsupport::ScriptedServer;

// The data connections of the scripted server, which the transfer tests build on.
namespace
{

int controlTo(const ScriptedServer &server)
{
    controller().session().serverHost = QStringLiteral("127.0.0.1");
    controller().session().port = server.port();
    const int socket = OpenConnection(controller().session(), controller().session().serverHost, controller().session().port, "ftp", "tcp");
    controller().session().controlSocket = socket;
    return socket >= 0 && ReadReply(controller().session()) == 2 ? socket : -1;
}

int connectToPort(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    return ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 ? fd : -1;
}

QByteArray readToEnd(int fd)
{
    QByteArray data;
    char buffer[4096];
    pollfd wait{fd, POLLIN, 0};
    while (poll(&wait, 1, 10000) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    ::close(fd);
    return data;
}

int passivePort()
{
    static const QRegularExpression numbers(
        QStringLiteral("\\((\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)\\)"));
    const auto match = numbers.match(QString::fromLatin1(controller().session().replyText()));
    return match.hasMatch() ? match.captured(5).toInt() * 256 + match.captured(6).toInt() : -1;
}

} // namespace

class TestScriptedServer : public QObject
{
    Q_OBJECT
private slots:
    void init() { testsupport::freshController(); }
    void cleanup() { testsupport::freshController(); }

    void passiveDownloadAndUpload()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("RETR", Reply("150 Opening").sendData("file body\r\n").then("226 Transfer complete"));
        server.on("STOR", Reply("150 Go ahead").receiveData().then("226 Stored"));
        const int socket = controlTo(server);
        QVERIFY(socket >= 0);

        QCOMPARE(SendCommand(controller().session(), "PASV"), 2);
        int data = connectToPort(passivePort());
        QVERIFY(data >= 0);
        QCOMPARE(SendCommand(controller().session(), "RETR a.txt"), 1);
        QCOMPARE(readToEnd(data), QByteArray("file body\r\n"));
        QCOMPARE(ReadReply(controller().session()), 2);

        QCOMPARE(SendCommand(controller().session(), "PASV"), 2);
        data = connectToPort(passivePort());
        QCOMPARE(SendCommand(controller().session(), "STOR b.txt"), 1);
        QCOMPARE(::send(data, "uploaded", 8, MSG_NOSIGNAL), ssize_t(8));
        ::close(data);
        QCOMPARE(ReadReply(controller().session()), 2);
        QCOMPARE(server.uploaded(), QByteArray("uploaded"));
        QCOMPARE(server.commands(), (QList<QByteArray>{"PASV", "RETR a.txt", "PASV", "STOR b.txt"}));
        ::close(socket);
    }

    void activeDownloadConnectsBack()
    {
        ScriptedServer server;
        server.on("PORT", Reply::port());
        server.on(
            "LIST",
            Reply("150 Here it comes").sendData("-rw-r--r-- 1 a b 5 Jan 1 2020 x\r\n").then("226 Done"));
        const int socket = controlTo(server);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
        const int port = ntohs(address.sin_port);

        QCOMPARE(SendCommand(controller().session(), "PORT 127,0,0,1," + QByteArray::number(port / 256) + ',' +
                                            QByteArray::number(port % 256)),
                 2);
        QCOMPARE(SendCommand(controller().session(), "LIST"), 1);
        const int data = ::accept(listener, nullptr, nullptr);
        QVERIFY(data >= 0);
        QCOMPARE(readToEnd(data), QByteArray("-rw-r--r-- 1 a b 5 Jan 1 2020 x\r\n"));
        QCOMPARE(ReadReply(controller().session()), 2);
        ::close(listener);
        ::close(socket);
    }

    void pasvTextCanPointElsewhere()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv("227 Entering Passive Mode (127,0,0,2,{port})"));
        const int socket = controlTo(server);
        QCOMPARE(SendCommand(controller().session(), "PASV"), 2);
        QVERIFY(controller().session().replyText().startsWith("227 Entering Passive Mode (127,0,0,2,"));
        ::close(socket);
    }

    void onceRulesComeFirstAndInOrder()
    {
        ScriptedServer server;
        server.on("CWD", "250 ok");
        server.once("CWD", "550 first").once("CWD", "550 second");
        const int socket = controlTo(server);
        QCOMPARE(SendCommand(controller().session(), "CWD a"), 550);
        QCOMPARE(controller().session().replyText(), QByteArray("550 first"));
        QCOMPARE(SendCommand(controller().session(), "CWD b"), 550);
        QCOMPARE(SendCommand(controller().session(), "CWD c"), 2);
        QCOMPARE(SendCommand(controller().session(), "XYZ"), 5);
        ::close(socket);
    }
};

QTEST_GUILESS_MAIN(TestScriptedServer)
#include "tst_scriptedserver.moc"
