#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/hostresolver.h"
#include "engine/listingloader.h"
#include "engine/login.h"
#include "platform/durations.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::controller;
using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

using Commands = QList<QByteArray>;

namespace
{

const QByteArray refused = "500 Command not understood\r\n";

// Logs in as the connect job does, the FEAT reply given, to the session's host or 127.0.0.1.
int logIn(ScriptedServer &server, const QByteArray &featReply)
{
    server.on("USER", Reply("331 password"));
    server.on("PASS", Reply("230 in"));
    server.on("FEAT", Reply::raw(featReply));
    server.on("OPTS", Reply("200 ok"));
    auto &s = controller().session();
    s.serverHost = s.serverHost.isEmpty() ? QStringLiteral("127.0.0.1") : s.serverHost;
    s.port = server.port();
    s.userName = QStringLiteral("bob");
    s.password = QStringLiteral("pw");
    s.currentType = 'A';
    s.passive = true;
    return Login(s, s.login());
}

// The commands after the login's USER and PASS.
Commands afterLogin(const ScriptedServer &server)
{
    return server.commands().mid(2);
}

SocketAddress loopback(const char *text)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, text, &address.sin_addr);
    return SocketAddress::fromSockaddr(reinterpret_cast<sockaddr *>(&address), sizeof address);
}

QString text(TextId id)
{
    return loadText(id);
}

} // namespace

class TestServerFeaturesScripted : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init() { testsupport::freshController(); }
    void cleanup()
    {
        hostresolver::setLookupForTest({});
        testsupport::freshController();
    }

    void featuresAfterLogin_data()
    {
        QTest::addColumn<QByteArray>("featReply");
        QTest::addColumn<QByteArray>("charset"); // the site's; empty for automatic
        QTest::addColumn<Commands>("commands");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<bool>("unreadable");

        const QByteArray utf8Listed = "211-Features:\r\n UTF8\r\n SIZE\r\n211 End\r\n";
        QTest::newRow("refused") << refused << QByteArray() << Commands{"FEAT"} << false << false;
        QTest::newRow("UTF8 listed") << utf8Listed << QByteArray() << Commands{"FEAT", "OPTS UTF8 ON"} << true
                                     << false;
        QTest::newRow("UTF8 listed, site in UTF-8")
            << utf8Listed << QByteArray("UTF-8") << Commands{"FEAT", "OPTS UTF8 ON"} << true << false;
        // The server would switch to UTF-8 names, which the site's set would then misread.
        QTest::newRow("UTF8 listed, site in Shift_JIS")
            << utf8Listed << QByteArray("Shift_JIS") << Commands{"FEAT"} << true << false;
        QTest::newRow("MLST facts asked for when not all are sent")
            << QByteArray("211-Features:\r\n MLST type*;size*;modify*;unix.mode;unique;\r\n211 End\r\n")
            << QByteArray() << Commands{"FEAT", "OPTS MLST type;size;modify;unix.mode;"} << false << false;
        QTest::newRow("malformed list offers nothing")
            << QByteArray("211-Features:\r\n UTF8\r\n <b>hello</b>\r\n211 End\r\n") << QByteArray()
            << Commands{"FEAT"} << false << true;
    }
    void featuresAfterLogin()
    {
        QFETCH(QByteArray, featReply);
        QFETCH(QByteArray, charset);
        QFETCH(Commands, commands);
        QFETCH(bool, utf8);
        QFETCH(bool, unreadable);
        ScriptedServer server;
        LogRecorder log;
        auto &s = controller().session();
        s.features.utf8 = true; // what an earlier login found goes at this one
        s.charset = charset;
        QVERIFY(logIn(server, featReply) >= 0);
        QVERIFY(s.connected);
        QCOMPARE(afterLogin(server), commands);
        QCOMPARE(s.features.utf8, utf8);
        QVERIFY(log.waitFor(QStringLiteral("230 in\n"), LogColor::Reply));
        QCOMPARE(log.texts(LogColor::Error).contains(text(TextId::FeaturesUnreadable)), unreadable);
    }

    // A feature list without end is cut by the reply's limit: no login on such a connection.
    void endlessFeatureList()
    {
        QByteArray reply = "211-Features:\r\n";
        for (int i = 0; i < 1000000; ++i)
            reply += " X\r\n";
        ScriptedServer server;
        LogRecorder log;
        QCOMPARE(logIn(server, reply), -1);
        QVERIFY(!controller().session().connected);
        QCOMPARE(controller().session().controlSocket.load(), -1);
        QVERIFY(!controller().session().features.answered);
    }

    void dataConnections_data()
    {
        QTest::addColumn<QByteArray>("featReply");
        // "{port}" in the EPSV reply opens a data port: the scripted server's EPSV.
        QTest::addColumn<QByteArray>("epsvReply");
        QTest::addColumn<Commands>("commands");
        QTest::addColumn<QString>("logged");

        const QByteArray withEpsv = "211-Features:\r\n EPSV\r\n211 End\r\n";
        const Commands twiceExtended{"FEAT", "EPSV", "LIST", "EPSV", "LIST"};
        const Commands fellBack{"FEAT", "EPSV", "PASV", "LIST", "PASV", "LIST"};
        const QByteArray extended = "229 Entering Extended Passive Mode (|||{port}|)";
        QTest::newRow("EPSV offered") << withEpsv << extended << twiceExtended << QString();
        QTest::newRow("EPSV not offered")
            << refused << extended << Commands{"FEAT", "PASV", "LIST", "PASV", "LIST"} << QString();
        QTest::newRow("EPSV refused") << withEpsv << QByteArray("500 no") << fellBack << QString();
        QTest::newRow("EPSV port 0") << withEpsv << QByteArray("229 ok (|||0|)") << fellBack
                                     << text(TextId::EpsvUnusable);
        QTest::newRow("EPSV names another address")
            << withEpsv << QByteArray("229 ok (|1|10.9.8.7|{port}|)") << twiceExtended
            << formatText(TextId::EpsvOtherAddress, "10.9.8.7", "127.0.0.1");
    }
    void dataConnections()
    {
        QFETCH(QByteArray, featReply);
        QFETCH(QByteArray, epsvReply);
        QFETCH(Commands, commands);
        QFETCH(QString, logged);
        ScriptedServer server;
        server.on("EPSV", epsvReply.contains("{port}") ? Reply::epsv(epsvReply) : Reply(epsvReply));
        server.on("PASV", Reply::pasv());
        server.on("LIST",
                  Reply("150 Here").sendData("-rw-r--r-- 1 u g 5 Jan  1  2020 a\r\n").then("226 Done"));
        LogRecorder log;
        QVERIFY(logIn(server, featReply) >= 0);
        auto &s = controller().session();
        s.listingTransfer = true;
        const QString file = programpaths::listingTempFile();
        QCOMPARE(RetrieveFile(s, "LIST", file, 'A'), 2);
        QCOMPARE(RetrieveFile(s, "LIST", file, 'A'), 2);
        QCOMPARE(afterLogin(server), commands);
        QVERIFY(log.waitFor(QStringLiteral("226 Done\n"), LogColor::Reply));
        const QStringList lines = log.texts(LogColor::Error) + log.texts(LogColor::Status);
        if (!logged.isEmpty())
            QVERIFY2(lines.contains(logged), qPrintable(lines.join(QLatin1Char('|'))));
    }

    // Over IPv6 PASV cannot name an address: EPSV is asked whatever FEAT said, then EPRT; a server
    // that refuses both gives no data connection, never a PASV or PORT with an IPv4 address.
    void ipv6DataConnections_data()
    {
        QTest::addColumn<QByteArray>("featReply");
        QTest::addColumn<QByteArray>("epsvReply");
        QTest::addColumn<QStringList>("errors");
        const QStringList eprtRefused{text(TextId::EprtRefused)};
        QTest::newRow("EPSV and EPRT refused") << refused << QByteArray("500 no") << eprtRefused;
        QTest::newRow("EPSV unusable, EPRT refused")
            << QByteArray("211-Features:\r\n EPSV\r\n211 End\r\n") << QByteArray("229 ok (|||0|)")
            << QStringList{text(TextId::EpsvUnusable), text(TextId::EprtRefused)};
    }
    void ipv6DataConnections()
    {
        QFETCH(QByteArray, featReply);
        QFETCH(QByteArray, epsvReply);
        QFETCH(QStringList, errors);
        ScriptedServer server(Reply("220 ready"), ScriptedServer::Loopback::Ipv6);
        server.on("EPSV", Reply(epsvReply));
        server.on("EPRT", Reply("500 no"));
        LogRecorder log;
        auto &s = controller().session();
        s.options.bell = false;
        s.serverHost = QStringLiteral("[::1]"); // a site's address with an IPv6 literal
        const int socket = logIn(server, featReply);
        if (socket < 0 && server.connections() == 0)
            QSKIP("no IPv6 loopback on this machine");
        QVERIFY(socket >= 0);
        s.listingTransfer = true;
        QCOMPARE(RetrieveFile(s, "LIST", programpaths::listingTempFile(), 'A'), 0);
        Commands commands = afterLogin(server);
        QCOMPARE(commands.size(), 3);
        QVERIFY2(commands[2].startsWith("EPRT |2|::1|"), commands[2].constData());
        commands[2] = "EPRT";
        QCOMPARE(commands, (Commands{"FEAT", "EPSV", "EPRT"}));
        QCOMPARE(s.listenSocket.load(), -1);
        QVERIFY(!s.passive);
        QVERIFY(log.waitFor(errors.last(), LogColor::Error));
        QCOMPARE(log.texts(LogColor::Error), errors);
    }

    void machineListing_data()
    {
        QTest::addColumn<QByteArray>("featReply");
        // The answers to MLSD in turn: "listing" sends one, anything else is the reply's text.
        QTest::addColumn<QList<QByteArray>>("mlsdReplies");
        QTest::addColumn<Commands>("commands");
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<bool>("failureLogged");
        QTest::addColumn<bool>("forShowing"); // else for a walk through a tree

        const QByteArray withMlst = "211-Features:\r\n MLST type*;size*;modify*;\r\n211 End\r\n";
        const QByteArray mlsd = "listing";
        QTest::newRow("MLSD offered")
            << withMlst << QList<QByteArray>{mlsd, mlsd} << Commands{"FEAT", "PASV", "MLSD", "PASV", "MLSD"}
            << QList<QByteArray>{"m one", "m two", "m one", "m two"} << false << true;
        QTest::newRow("MLSD offered, listing for a walk")
            << withMlst << QList<QByteArray>{} << Commands{"FEAT", "PASV", "LIST", "PASV", "LIST"}
            << QList<QByteArray>{"l", "l"} << false << false;
        QTest::newRow("MLSD unknown: LIST from then on")
            << withMlst << QList<QByteArray>{"500 no"}
            << Commands{"FEAT", "PASV", "MLSD", "PASV", "LIST", "PASV", "LIST"} << QList<QByteArray>{"l", "l"}
            << true << true;
        QTest::newRow("MLSD refused for one folder: LIST for it, MLSD for the next")
            << withMlst << QList<QByteArray>{"550 no access", mlsd}
            << Commands{"FEAT", "PASV", "MLSD", "PASV", "LIST", "PASV", "MLSD"}
            << QList<QByteArray>{"l", "m one", "m two"} << true << true;
    }
    void machineListing()
    {
        QFETCH(QByteArray, featReply);
        QFETCH(QList<QByteArray>, mlsdReplies);
        QFETCH(Commands, commands);
        QFETCH(QList<QByteArray>, names);
        QFETCH(bool, failureLogged);
        QFETCH(bool, forShowing);
        ScriptedServer server;
        for (const QByteArray &reply : mlsdReplies)
            server.once("MLSD", reply == "listing"
                                    ? Reply("150 Here")
                                          .sendData("type=file;size=3; m one\r\ntype=dir; m two\r\n")
                                          .then("226 Done")
                                    : Reply(reply));
        server.on("PASV", Reply::pasv());
        server.on("LIST",
                  Reply("150 Here").sendData("-rw-r--r-- 1 u g 5 Jan  1  2020 l\r\n").then("226 Done"));
        LogRecorder log;
        QVERIFY(logIn(server, featReply) >= 0);
        auto &s = controller().session();
        s.machineListingWanted = forShowing;
        QList<QByteArray> listed;
        for (int listing = 0; listing < 2; ++listing) {
            QCOMPARE(DownloadFolderListing(s), 2);
            ListingState state(s.serverKind);
            state.machineListing = s.machineListing;
            const std::optional<FileRows> rows = ReadListingFile(programpaths::listingTempFile(), state);
            QVERIFY(rows);
            for (size_t row = 0; row < rows->size(); ++row)
                listed.append(rows->nameBytes(row));
        }
        QCOMPARE(listed, names);
        QCOMPARE(afterLogin(server), commands);
        QVERIFY(log.waitFor(QStringLiteral("226 Done\n"), LogColor::Reply));
        QCOMPARE(log.texts(LogColor::Error).contains(text(TextId::MlsdFailed)), failureLogged);
    }

    // Every address of a name is tried in turn; the log says which failed and where it connected.
    void addressesInTurn_data()
    {
        QTest::addColumn<QList<QByteArray>>("addresses");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QStringList>("tried");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("second address answers")
            << QList<QByteArray>{"127.0.0.2", "127.0.0.1"} << true
            << QStringList{formatText(TextId::TryingNextAddress, "127.0.0.2")} << QStringList{};
        QTest::newRow("none answers") << QList<QByteArray>{"127.0.0.2", "127.0.0.3"} << false
                                      << QStringList{formatText(TextId::TryingNextAddress, "127.0.0.2")}
                                      << QStringList{text(TextId::ConnectionRefused)};
        QTest::newRow("no address") << QList<QByteArray>{} << false << QStringList{}
                                    << QStringList{text(TextId::HostNotFound)};
    }
    void addressesInTurn()
    {
        QFETCH(QList<QByteArray>, addresses);
        QFETCH(bool, connects);
        QFETCH(QStringList, tried);
        QFETCH(QStringList, errors);
        ScriptedServer server;
        hostresolver::setLookupForTest([addresses](const QByteArray &) {
            std::vector<SocketAddress> found;
            for (const QByteArray &address : addresses)
                found.push_back(loopback(address.constData()));
            return found;
        });
        LogRecorder log;
        auto &s = controller().session();
        const int socket = OpenConnection(s, QStringLiteral("many.example"), server.port(), "ftp", "tcp");
        QCOMPARE(socket >= 0, connects);
        if (socket >= 0)
            ::close(socket);
        const QString last =
            socket >= 0
                ? QStringLiteral("Connected to many.example (ip=127.0.0.1) port %1\n").arg(server.port())
                : errors.last();
        QVERIFY(log.waitFor(last, socket >= 0 ? LogColor::Status : LogColor::Error));
        QStringList triedLines = log.texts(LogColor::Status);
        triedLines.removeIf(
            [](const QString &line) { return !line.startsWith(QLatin1String("Could not connect")); });
        QCOMPARE(triedLines, tried);
        QCOMPARE(log.texts(LogColor::Error), errors);
    }

    // An address that never answers uses only its share of the connect time: the next address
    // still gets its turn, long before the time is up.
    void silentAddressLeavesTimeForTheNext()
    {
        ScriptedServer server;
        // A listener whose queue is full drops further SYNs: on 127.0.0.2 and the server's port,
        // it never answers.
        const int full = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        SocketAddress silent = loopback("127.0.0.2");
        silent.setPort(server.port());
        QVERIFY(::bind(full, silent.data(), silent.length) == 0);
        QVERIFY(::listen(full, 0) == 0);
        QList<int> fillers;
        for (int i = 0; i < 3; ++i) {
            fillers.append(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            (void)::connect(fillers.last(), silent.data(), silent.length);
        }
        const auto closeAll = qScopeGuard([&] {
            for (int filler : fillers)
                ::close(filler);
            ::close(full);
        });
        hostresolver::setLookupForTest([](const QByteArray &) {
            return std::vector<SocketAddress>{loopback("127.0.0.2"), loopback("127.0.0.1")};
        });
        durations::setForTest(durations::Kind::Connect, 4000ms);
        LogRecorder log;
        QElapsedTimer timer;
        timer.start();
        const int socket = OpenConnection(controller().session(), QStringLiteral("slow.example"),
                                          server.port(), "ftp", "tcp");
        const qint64 elapsed = timer.elapsed();
        QVERIFY(socket >= 0);
        ::close(socket);
        if (elapsed < 1000)
            QSKIP("this kernel answers a full listen queue");
        QVERIFY2(elapsed >= 1800 && elapsed < 3500, qPrintable(QString::number(elapsed)));
        QVERIFY(log.waitFor(formatText(TextId::TryingNextAddress, "127.0.0.2"), LogColor::Status));
    }
};

QTEST_GUILESS_MAIN(TestServerFeaturesScripted)
#include "tst_serverfeatures_scripted.moc"
