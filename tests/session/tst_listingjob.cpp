#include "engine/controlconnection.h"
#include "engine/listingloader.h"
#include "platform/appsettings.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/workerstop.h"
#include "scriptedserver.h"
#include "session/ftpprotocol.h"
#include "session/listingjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QFile>
#include <QTest>

#include <atomic>
#include <thread>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

const QByteArray iisListing = "02-25-20  03:34PM       <DIR>          aspnet_client\r\n"
                              "02-25-20  03:34PM                  689 iisstart.htm\r\n"
                              "-rwxrwxrwx   1 owner    group              5 Feb 25  2020 unix.txt\r\n"
                              "02-25-20  03:34PM                  689 after.htm\r\n";

// What the remote pane would have received.
struct Pane {
    testsupport::TestViews views;
    QList<QByteArray> paths;
    int clears = 0;
    int shows = 0;
    std::vector<FileEntry> rows;
    bool writeCache = false;
    QStringList opened;

    Pane()
    {
        views.onSetRemotePath = [this](const QByteArray &path) { paths << path; };
        views.onClearRemoteList = [this] { ++clears; };
        views.onShowRemoteListing = [this](const QByteArray &, std::vector<FileEntry> shown, bool cache) {
            rows = std::move(shown);
            writeCache = cache;
            ++shows;
        };
        views.onOpenDocument = [this](const QString &path) { opened << path; };
    }
};

bool connectTo(const ScriptedServer &server)
{
    Session &s = controller().session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = server.port();
    const int socket = OpenConnection(controller().session(), s.serverHost, controller().session().port, "ftp", "tcp");
    if (socket < 0)
        return false;
    s.controlSocket = socket;
    (void)ReadReply(controller().session());
    s.connected = true;
    s.currentType = 'A';
    return true;
}

// The listing runs on a worker, as in the refresh job, while this thread is the window thread.
bool loadOnWorker()
{
    return testsupport::runOnWorker(
        [] {
            FtpProtocol protocol(controller().session());
            (void)LoadListing(protocol, controller().session());
        },
        30000);
}

} // namespace

class TestListingJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 1;
    }
    void cleanup() { testsupport::freshController(); }

    void microsoftListingWithDebugCopy()
    {
        ScriptedServer server;
        server.on("PWD", "257 \"/pub/\" is current directory")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Opening ASCII mode data connection")
                            .sendData(iisListing)
                            .then("226 Transfer complete"));
        QVERIFY(connectTo(server));
        controller().session().serverKind = ServerKind::Microsoft;
        controller().session().debugListing = true;
        Pane pane;
        LogRecorder log;

        QVERIFY(loadOnWorker());
        QVERIFY(log.waitFor(QStringLiteral("Transfer completed\n"), LogColor::Status));
        QCOMPARE(server.commands(), (QList<QByteArray>{"PWD", "PASV", "LIST"}));
        QCOMPARE(pane.paths, QList<QByteArray>{"/pub"});
        QCOMPARE(pane.clears, 1);
        QCOMPARE(pane.shows, 1);
        QVERIFY(pane.writeCache);
        QCOMPARE(pane.rows.size(), size_t(4));
        QCOMPARE(pane.rows[0].text(AttributeColumn), QStringLiteral("d---------"));
        // After the Unix-style line the server counts as 6010: its DOS line loses the size column.
        QCOMPARE(pane.rows[3].text(SizeColumn), QString());
        QCOMPARE(controller().session().serverKind.load(), ServerKind::UnixListing);
        QVERIFY(!controller().session().listingRunning);
        QVERIFY(!controller().session().waitCursor);
        // The listing file is gone; its debug copy stays and was opened, once.
        QVERIFY(!QFile::exists(programpaths::listingTempFile()));
        const QString copy = debugListingPath(programpaths::listingTempFile());
        QCOMPARE(pane.opened, QStringList{copy});
        QFile dump(copy);
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QCOMPARE(dump.readAll(), iisListing);
        QVERIFY(!controller().session().debugListing);
        QCOMPARE(appSettings().soundEffects.load(), 1);

        // A listing during a queue transfer is shown but neither cached nor announced.
        controller().session().transferRunning = true;
        log.clear();
        QVERIFY(loadOnWorker());
        QCOMPARE(pane.shows, 2);
        QVERIFY(!pane.writeCache);
        QCOMPARE(pane.opened.size(), 1);
        QVERIFY(!log.contains(QStringLiteral("Transfer completed\n"), LogColor::Status));
    }

    void failuresLeaveTheList_data()
    {
        QTest::addColumn<bool>("pwdFails");
        QTest::newRow("PWD refused") << true;
        QTest::newRow("LIST refused") << false;
    }
    void failuresLeaveTheList()
    {
        QFETCH(bool, pwdFails);
        ScriptedServer server;
        server.on("PWD", pwdFails ? "550 No" : "257 \"/\"")
            .on("PASV", Reply::pasv())
            .on("LIST", "550 No such directory");
        QVERIFY(connectTo(server));
        Pane pane;
        QVERIFY(loadOnWorker());
        // PWD refused: nothing at all; LIST refused: the list was emptied and stays empty.
        QCOMPARE(pane.clears, pwdFails ? 0 : 1);
        QCOMPARE(pane.shows, 0);
        QCOMPARE(pane.paths.size(), pwdFails ? 0 : 1);
        QVERIFY(!controller().session().waitCursor);
        QCOMPARE(server.commands().contains("LIST"), !pwdFails);
    }

    // The case the guard is for: the session has ended but its control socket is still there.
    void notConnectedDoesNothing()
    {
        ScriptedServer server;
        server.on("PWD", "257 \"/\"")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here").sendData("x\r\n"));
        QVERIFY(connectTo(server));
        QVERIFY(controller().session().controlSocket >= 0);
        Pane pane;
        controller().session().connected = false;
        QVERIFY(loadOnWorker());
        QCOMPARE(pane.paths.size() + pane.clears + pane.shows, 0);
        QVERIFY(server.commands().isEmpty());
    }

    // A listing that does not end is cut: ABOR, a message, nothing shown, the file gone, and the
    // session goes on.
    void endlessListingIsCut()
    {
        QByteArray lines;
        for (int i = 0; i < 500; ++i)
            lines += "-rw-r--r--   1 u  g  5 Feb 25  2020 file" + QByteArray::number(i) + "\r\n";
        ScriptedServer server;
        server.on("PWD", "257 \"/\"")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here").sendData(lines).then("226 Done"))
            .on("ABOR", "226 Abort successful\r\n226 Nothing to abort")
            .on("NOOP", "200 Still here");
        QVERIFY(connectTo(server));
        controller().session().options.listingLineLimit = 100;
        Pane pane;
        LogRecorder log;
        QVERIFY(loadOnWorker());
        QCOMPARE(pane.shows, 0);
        QVERIFY(server.commands().contains("ABOR"));
        QCOMPARE(log.texts(LogColor::Error).filter(QStringLiteral("The listing was cut after")).size(), 1);
        QVERIFY(!QFile::exists(programpaths::listingTempFile()));
        QVERIFY(controller().session().connected);
        QVERIFY(!controller().session().listingTransfer);
        QCOMPARE(SendCommand(controller().session(), "NOOP"), 2);
    }
};

QTEST_GUILESS_MAIN(TestListingJob)
#include "tst_listingjob.moc"
