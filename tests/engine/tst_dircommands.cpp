#include "engine/controlconnection.h"
#include "engine/dircommands.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"

#include <QTest>

using testsupport::controller;

using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

// A control connection past the greeting, as after a login.
int connectTo(const ScriptedServer &server)
{
    return testsupport::connectControl(server.port());
}

} // namespace

class TestDirCommands : public QObject
{
    Q_OBJECT
private slots:
    void init() { testsupport::freshController(); }
    void cleanup() { testsupport::freshController(); }

    void commandsAndResults_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("trailingSlash");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<int>("result");

        using L = QList<QByteArray>;
        QTest::newRow("CWD 500, then XCWD 250")
            << "cd" << QByteArray("/pub") << false << L{"500 What?", "250 Ok"} << L{"CWD /pub", "XCWD /pub"}
            << 2;
        QTest::newRow("CWD 550 is no reason for XCWD")
            << "cd" << QByteArray("/nope") << false << L{"550 No"} << L{"CWD /nope"} << 5;
        QTest::newRow("PWD 500, then XPWD")
            << "pwd" << QByteArray() << false << L{"500 What?", "257 \"/\""} << L{"PWD", "XPWD"} << 2;
        QTest::newRow("MKD 550 stays 550")
            << "mkdir" << QByteArray("new") << false << L{"550 Exists"} << L{"MKD new"} << 550;
        QTest::newRow("MKD 500, XMKD 550") << "mkdir" << QByteArray("new") << false
                                           << L{"500 What?", "550 Exists"} << L{"MKD new", "XMKD new"} << 550;
        QTest::newRow("MKD 500, XMKD 257") << "mkdir" << QByteArray("new") << false
                                           << L{"500 What?", "257 Made"} << L{"MKD new", "XMKD new"} << 2;
        QTest::newRow("RMD 500, XRMD 550 is class 5")
            << "rmdir" << QByteArray("old") << false << L{"500 What?", "550 Not empty"}
            << L{"RMD old", "XRMD old"} << 5;
        QTest::newRow("DELE has no older form")
            << "delete" << QByteArray("f.txt") << false << L{"500 What?"} << L{"DELE f.txt"} << 5;
        QTest::newRow("421 gives 4") << "cd" << QByteArray("/x") << false << L{"421 Bye"} << L{"CWD /x"} << 4;
        QTest::newRow("trailing slash")
            << "cd" << QByteArray("/pub") << true << L{"250 Ok"} << L{"CWD /pub/"} << 2;
        QTest::newRow("trailing slash, root")
            << "cd" << QByteArray("/") << true << L{"250 Ok"} << L{"CWD /"} << 2;
        QTest::newRow("trailing slash, already there")
            << "cd" << QByteArray("/pub/") << true << L{"250 Ok"} << L{"CWD /pub/"} << 2;
        QTest::newRow("trailing slash, doubled inside")
            << "mkdir" << QByteArray("/a//b") << true << L{"500 What?", "257 Made"}
            << L{"MKD /a/b/", "XMKD /a/b/"} << 2;
        QTest::newRow("trailing slash, not for DELE")
            << "delete" << QByteArray("f") << true << L{"250 Ok"} << L{"DELE f"} << 2;
        QTest::newRow("bytes and percent as they are")
            << "cd" << QByteArray("/caf\xe9 100%s") << false << L{"250 Ok"}
            << L{QByteArray("CWD /caf\xe9 100%s")} << 2;
    }
    void commandsAndResults()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, path);
        QFETCH(bool, trailingSlash);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(int, result);

        ScriptedServer server;
        for (int i = 0; i < replies.size(); ++i)
            server.once(sent[i].left(sent[i].indexOf(' ') < 0 ? sent[i].size() : sent[i].indexOf(' ')),
                        Reply(replies[i]));
        const int socket = connectTo(server);
        QVERIFY(socket >= 0);
        controller().session().trailingSlashDirs = trailingSlash;

        int got = -1;
        if (operation == "cd")
            got = RemoteChangeDirectory(controller().session(), path);
        else if (operation == "pwd")
            got = RemotePrintDirectory(controller().session());
        else if (operation == "mkdir")
            got = RemoteMakeDirectory(controller().session(), path);
        else if (operation == "rmdir")
            got = RemoteRemoveDirectory(controller().session(), path);
        else if (operation == "delete")
            got = RemoteDeleteFile(controller().session(), path);
        QCOMPARE(got, result);
        QCOMPARE(server.commands(), sent);
    }

    // A lost connection sends nothing and reports no result, whatever the last reply was.
    void notConnected_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("cd") << "cd";
        QTest::newRow("pwd") << "pwd";
        QTest::newRow("mkdir") << "mkdir";
        QTest::newRow("rmdir") << "rmdir";
        QTest::newRow("delete") << "delete";
    }
    void notConnected()
    {
        QFETCH(QString, operation);
        ScriptedServer server;
        server.on("MKD", Reply("550 Exists"));
        QVERIFY(connectTo(server) >= 0);
        // The last reply before the connection went: a code that would read as a result.
        QCOMPARE(RemoteMakeDirectory(controller().session(), "x"), 550);
        controller().session().controlSocket = CloseSocketAbortive(controller().session(), controller().session().controlSocket);
        controller().session().connected = false;
        const int sent = server.commands().size();

        testsupport::LogRecorder log;
        int got = -1;
        if (operation == "cd")
            got = RemoteChangeDirectory(controller().session(), "/");
        else if (operation == "pwd")
            got = RemotePrintDirectory(controller().session());
        else if (operation == "mkdir")
            got = RemoteMakeDirectory(controller().session(), "x");
        else if (operation == "rmdir")
            got = RemoteRemoveDirectory(controller().session(), "x");
        else if (operation == "delete")
            got = RemoteDeleteFile(controller().session(), "x");
        QCOMPARE(got, 0);
        QVERIFY(log.waitFor(loadText(TextId::NotConnected), LogColor::Error));
        QCOMPARE(server.commands().size(), sent);
    }

    void workingDirectory_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("directory");
        QTest::newRow("usual") << QByteArray("257 \"/home/user\" is current directory.") << true
                               << QByteArray("/home/user");
        QTest::newRow("doubled quotes stand for one")
            << QByteArray("257 \"/home/\"\"quoted\"\"\" is the current directory") << true
            << QByteArray("/home/\"quoted\"");
        QTest::newRow("no closing quote") << QByteArray("257 \"/open") << true << QByteArray("/open");
        QTest::newRow("empty") << QByteArray("257 \"\" odd") << true << QByteArray();
        QTest::newRow("no quotes: the first word")
            << QByteArray("257 / is the current directory") << true << QByteArray("/");
        QTest::newRow("no quotes, blanks before the word")
            << QByteArray("257   /srv/ftp\r\n") << true << QByteArray("/srv/ftp");
        QTest::newRow("no quotes, drive path")
            << QByteArray("257 C:\\ftp\r\n") << true << QByteArray("C:\\ftp");
        QTest::newRow("no quotes, no path") << QByteArray("257 PWD ok") << false << QByteArray();
        QTest::newRow("no word at all") << QByteArray("257 \r\n") << false << QByteArray();
        QTest::newRow("10000 bytes kept whole")
            << "257 \"" + QByteArray(10000, 'd') + '"' << true << QByteArray(10000, 'd');
        QTest::newRow("bytes kept") << QByteArray("257 \"/\xb0\xa1\xff\"") << true
                                    << QByteArray("/\xb0\xa1\xff");
    }
    void workingDirectory()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, found);
        QFETCH(QByteArray, directory);
        const auto parsed = ParseWorkingDirectory(reply);
        QCOMPARE(parsed.has_value(), found);
        if (found)
            QCOMPARE(*parsed, directory);
    }
};

QTEST_GUILESS_MAIN(TestDirCommands)
#include "tst_dircommands.moc"
