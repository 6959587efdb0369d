#include "platform/appsettings.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "scriptedserver.h"
#include "session/remoteoperation.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/worker.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QTest>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

Q_DECLARE_METATYPE(JobRequest)
Q_DECLARE_METATYPE(RemoteItem)

namespace
{

constexpr int depthLimit = 256;

Reply listingReply(const QByteArray &lines)
{
    return Reply("150 Here it comes").sendData(lines).then("226 Done");
}

// A server where every folder is "/top" and lists `listing`; everything else is accepted.
void scriptTree(ScriptedServer &server, const QByteArray &listing)
{
    server.on("CWD", "250 OK")
        .on("CDUP", "250 OK")
        .on("PWD", "257 \"/top\" is the current directory")
        .on("TYPE", "200 Type set")
        .on("PASV", Reply::pasv())
        .on("LIST", listingReply(listing))
        .on("DELE", "250 Deleted")
        .on("RMD", "250 Removed");
}

bool runJob(const JobRequest &request)
{
    if (!controller().startJob(request))
        return false;
    return QTest::qWaitFor([] { return !controller().session().busy(); }, 60000);
}

int countOf(const QList<QByteArray> &commands, const QByteArray &prefix)
{
    return int(std::count_if(commands.begin(), commands.end(),
                             [&](const QByteArray &command) { return command.startsWith(prefix); }));
}

} // namespace

// The remote file operation jobs against exact server replies.
class TestRemoteOpsJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
    }
    void cleanup() { testsupport::freshController(); }

    void renameReplies_data()
    {
        QTest::addColumn<QByteArray>("rnfr");
        QTest::addColumn<QByteArray>("rnto");
        QTest::addColumn<bool>("renamed");
        QTest::addColumn<bool>("failed");
        QTest::newRow("accepted") << QByteArray("350 Ready") << QByteArray("250 Renamed") << true << false;
        QTest::newRow("RNTO refused") << QByteArray("350 Ready") << QByteArray("550 No") << false << true;
        QTest::newRow("RNFR refused") << QByteArray("550 No such file") << QByteArray() << false << true;
        // Class 2 to RNFR: the server has done what it will do; nothing more is said.
        QTest::newRow("RNFR class 2") << QByteArray("250 Done") << QByteArray() << false << false;
    }
    void renameReplies()
    {
        QFETCH(QByteArray, rnfr);
        QFETCH(QByteArray, rnto);
        QFETCH(bool, renamed);
        QFETCH(bool, failed);
        ScriptedServer server;
        scriptTree(server, "-rw-r--r-- 1 u g 5 Jan  1  2020 new.txt\r\n");
        server.on("RNFR", Reply(rnfr));
        if (!rnto.isEmpty())
            server.on("RNTO", Reply(rnto));
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        QList<QByteArray> selected;
        views.onSelectRemoteItem = [&](const QByteArray &name) { selected << name; };
        LogRecorder log;

        QVERIFY(runJob(RenameRequest{"/pub", "old.txt", "new.txt"}));
        const QList<QByteArray> commands = server.commands();
        QCOMPARE(commands.value(0), QByteArray("RNFR /pub/old.txt"));
        QCOMPARE(countOf(commands, "RNTO /pub/new.txt"), rnto.isEmpty() ? 0 : 1);
        // Only a rename the server made is listed again, its new name selected.
        QCOMPARE(commands.contains("CWD /pub"), renamed);
        QTRY_COMPARE(selected, renamed ? QList<QByteArray>{"new.txt"} : QList<QByteArray>{});
        QVERIFY(log.waitFor(formatText(TextId::Renaming, "old.txt", "new.txt"), LogColor::Status));
        QCOMPARE(log.contains(loadText(TextId::RenameFailed), LogColor::Error), failed);
        QVERIFY(controller().session().connected);
    }

    void deleteGoesOnAfterARefusal()
    {
        ScriptedServer server;
        scriptTree(server, "");
        server.once("DELE", "550 Permission denied");
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        LogRecorder log;
        const DeleteRequest request{
            "/pub",
            {{"a.txt"}, {"www -> /var/www", true, true}, {"link", true, true}, {"b.txt"}, {"empty", true}}};
        QVERIFY(runJob(request));
        const QList<QByteArray> commands = server.commands();
        QCOMPARE(commands.mid(0, 3),
                 (QList<QByteArray>{"DELE /pub/a.txt", "DELE /pub/b.txt", "RMD /pub/empty"}));
        QCOMPARE(log.lines().count({loadText(TextId::DeleteFailed), LogColor::Error}), 1);
        // The folder is listed again in any case.
        QVERIFY(commands.contains("CWD /pub"));
    }

    // However the server answers, the walk comes to an end and says where it stopped.
    void treeDeleteEnds_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("connected");
        const QByteArray file = "-rw-r--r-- 1 u g 5 Jan  1  2020 f.txt\r\n";
        QTest::newRow("RMD refused") << file << QByteArray("RMD") << QByteArray("550 Not empty")
                                     << formatText(TextId::CannotRemoveFolderInTree, "/top") << true;
        QTest::newRow("link inside") << QByteArray("lrwxrwxrwx 1 u g 4 Jan  1  2020 ln -> /etc\r\n")
                                     << QByteArray("RMD") << QByteArray("550 Not empty")
                                     << formatText(TextId::CannotRemoveFolderInTree, "/top") << true;
        // Some servers list a link without its target: the "l" of its attributes is all there is.
        QTest::newRow("link listed without its target")
            << QByteArray("lrwxrwxrwx 1 u g 4 Jan  1  2020 ln\r\n") << QByteArray("RMD")
            << QByteArray("550 Not empty") << formatText(TextId::CannotRemoveFolderInTree, "/top") << true;
        QTest::newRow("name with a separator")
            << QByteArray("-rw-r--r-- 1 u g 5 Jan  1  2020 ../../etc/passwd\r\n") << QByteArray("RMD")
            << QByteArray("550 Not empty")
            << formatText(TextId::TreeDeleteNotPlainName, "/top/../../etc/passwd") << true;
        QTest::newRow("CWD refused") << file << QByteArray("CWD") << QByteArray("550 No access")
                                     << formatText(TextId::TreeDeleteStopped, "/top") << true;
        // Every folder lists a folder inside it, as a server that invents entries would.
        QByteArray deepest = "/top";
        for (int level = 0; level <= depthLimit; ++level)
            deepest += "/a";
        QTest::newRow("a folder inside every folder")
            << QByteArray("drwxr-xr-x 2 u g 0 Jan  1  2020 a\r\n") << QByteArray("RMD")
            << QByteArray("250 OK") << formatText(TextId::TreeTooDeep, depthLimit, deepest.constData())
            << true;
        QTest::newRow("connection dropped") << file << QByteArray("DELE") << QByteArray()
                                            << loadText(TextId::ServerClosedConnection) << false;
    }
    void treeDeleteEnds()
    {
        QFETCH(QByteArray, listing);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        QFETCH(bool, connected);
        ScriptedServer server;
        scriptTree(server, listing);
        server.on(command, reply.isEmpty() ? Reply::silent().thenClose() : Reply(reply));
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        LogRecorder log;

        QVERIFY(runJob(DeleteTreeRequest{"/", {"top", true}}));
        QVERIFY2(log.waitFor(message, LogColor::Error), qPrintable(message));
        QCOMPARE(controller().session().connected.load(), connected);
        const QList<QByteArray> commands = server.commands();
        QVERIFY(countOf(commands, "RMD") <= 1);
        QVERIFY(countOf(commands, "LIST") <= depthLimit + 2);
        QVERIFY(!commands.contains("DELE /top/ln") && !countOf(commands, "DELE /etc"));
        QVERIFY(!commands.contains("CWD /top/ln") && !commands.contains("RMD /top/ln"));
        QVERIFY(!controller().session().waitCursor);
    }

    // The job guards its top folder itself: a request that did not come from the pane gets no
    // further than the pane would let it.
    void treeDeleteRefusesItsTop_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<RemoteItem>("top");
        QTest::addColumn<QString>("message");
        QTest::newRow("a parent step") << QByteArray("/pub") << RemoteItem{"../x", true}
                                       << formatText(TextId::TreeDeleteNotPlainName, "/pub/../x");
        QTest::newRow("a path") << QByteArray("/pub") << RemoteItem{"a/b", true}
                                << formatText(TextId::TreeDeleteNotPlainName, "/pub/a/b");
        QTest::newRow("the folder itself") << QByteArray("/pub") << RemoteItem{".", true}
                                           << formatText(TextId::TreeDeleteNotPlainName, "/pub/.");
        QTest::newRow("a link by its attributes")
            << QByteArray("/pub") << RemoteItem{"ln", true, true} << QString();
        QTest::newRow("a link by its arrow")
            << QByteArray("/pub") << RemoteItem{"ln -> /etc", true} << QString();
        QTest::newRow("a file") << QByteArray("/pub") << RemoteItem{"f.txt", false} << QString();
    }
    void treeDeleteRefusesItsTop()
    {
        QFETCH(QByteArray, folder);
        QFETCH(RemoteItem, top);
        QFETCH(QString, message);
        ScriptedServer server;
        scriptTree(server, "");
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        LogRecorder log;

        QVERIFY(runJob(DeleteTreeRequest{folder, top}));
        QCOMPARE(controller().worker().lastResult().outcome, OperationResult::Outcome::Refused);
        QCOMPARE(server.commands(), QList<QByteArray>{});
        QCOMPARE(log.texts(LogColor::Error), message.isEmpty() ? QStringList{} : QStringList{message});
    }

    // Typed text that would end the command line early never leaves, whoever built the request.
    void typedLineBreaksAreNotSent_data()
    {
        QTest::addColumn<JobRequest>("request");
        const QByteArray smuggled = "x\r\nDELE precious";
        QTest::newRow("new name") << JobRequest(RenameRequest{"/pub", "a.txt", smuggled});
        QTest::newRow("new folder") << JobRequest(NewFolderRequest{"/pub", smuggled});
        QTest::newRow("move destination")
            << JobRequest(MoveRequest{"/pub", {{"a.txt"}}, "/dest\nDELE precious"});
        QTest::newRow("user command") << JobRequest(UserCommandRequest{"NOOP\r\nDELE precious"});
        QTest::newRow("change mode") << JobRequest(ChangeModeRequest{644, smuggled});
        QTest::newRow("NUL in a new name")
            << JobRequest(RenameRequest{"/pub", "a.txt", QByteArray("b\0c", 3)});
    }
    void typedLineBreaksAreNotSent()
    {
        QFETCH(JobRequest, request);
        ScriptedServer server;
        scriptTree(server, "");
        server.on("RNFR", "350 Ready").on("RNTO", "250 Renamed").on("MKD", "257 Made").on("SITE", "200 Done");
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        LogRecorder log;

        QVERIFY(runJob(request));
        QCOMPARE(controller().worker().lastResult().outcome, OperationResult::Outcome::Refused);
        QCOMPARE(server.commands(), QList<QByteArray>{});
        QVERIFY(log.waitFor(loadText(TextId::ControlCharacterRefused), LogColor::Error));
        QVERIFY(controller().session().connected);
    }

    // A tree of thousands of files must not hold the session: Abort ends the walk.
    void abortEndsATreeDelete()
    {
        constexpr int files = 200;
        QByteArray listing;
        for (int i = 0; i < files; ++i)
            listing += "-rw-r--r-- 1 u g 5 Jan  1  2020 f" + QByteArray::number(i) + ".txt\r\n";
        ScriptedServer server;
        scriptTree(server, listing);
        server.on("DELE", Reply("250 Deleted").delay(20))
            .on("ABOR", Reply("426 Connection closed; transfer aborted\r\n226 Abort successful"));
        SessionController &controller = testsupport::nextController();
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        LogRecorder log;
        QVERIFY(controller.startJob(DeleteTreeRequest{"/", {"top", true}}));
        QTRY_VERIFY(countOf(server.commands(), "DELE") >= 3);
        controller.abort();
        QVERIFY(log.waitFor(loadText(TextId::OperationCanceled), LogColor::Status));
        QVERIFY(!controller.session().busy());
        QVERIFY(!controller.session().waitCursor);
        QVERIFY(controller.session().connected);
        QVERIFY(countOf(server.commands(), "DELE") < files);
        QCOMPARE(countOf(server.commands(), "RMD"), 0);
    }

    void typedNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<int>("problem");
        QTest::newRow("plain") << QByteArray("report 2020.txt") << QByteArray("/pub")
                               << int(NameProblem::None);
        QTest::newRow("slash") << QByteArray("a/b") << QByteArray("/pub") << int(NameProblem::Separator);
        QTest::newRow("backslash on a slash server")
            << QByteArray("a\\b") << QByteArray("/pub") << int(NameProblem::None);
        QTest::newRow("backslash on a backslash server")
            << QByteArray("a\\b") << QByteArray("C:\\pub") << int(NameProblem::Separator);
        QTest::newRow("command injection")
            << QByteArray("x\r\nDELE y") << QByteArray("/pub") << int(NameProblem::ControlByte);
    }
    void typedNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, folder);
        QFETCH(int, problem);
        QCOMPARE(int(typedNameProblem(name, folder)), problem);
    }
};

QTEST_GUILESS_MAIN(TestRemoteOpsJob)
#include "tst_remoteopsjob.moc"
