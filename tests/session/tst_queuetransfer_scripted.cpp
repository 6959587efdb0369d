// The queue transfer job against a scripted server: servers that refuse, cut or lie (clear
// messages, the queue keeps what was not done, nothing is written outside the destination), and
// the exact bytes of type A on the wire.
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "platform/workerstop.h"
#include "scriptedserver.h"
#include "session/ftpprotocol.h"
#include "session/jobs.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/shutdowncommand.h"
#include "session/transferqueue.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

QByteArray line(const QByteArray &name, const char *kind = "-rw-r--r--", int size = 3)
{
    return QByteArray(kind) + "   1 u  g  " + QByteArray::number(size) + " Jan  1  2020 " + name + "\r\n";
}

// A rule is "[1:]COMMAND => REPLY"; "1:" makes it a one-time rule. REPLY "data:BYTES" sends the
// bytes over a data connection between 150 and 226; "recv" takes an upload; "close:TEXT" sends
// the text and closes the control connection.
void script(ScriptedServer &server, const QStringList &rules)
{
    server.on("PASV", Reply::pasv()).on("TYPE", "200 OK").on("SIZE", "500 No");
    for (const QString &rule : rules) {
        QByteArray prefix = rule.section(" => ", 0, 0).toUtf8();
        const QByteArray reply = rule.section(" => ", 1).toUtf8().replace("\\r\\n", "\r\n");
        const bool once = prefix.startsWith("1:");
        if (once)
            prefix = prefix.mid(2);
        Reply r = reply.startsWith("data:")    ? Reply("150 Here").sendData(reply.mid(5)).then("226 Done")
                  : reply == "recv"            ? Reply("150 Go").receiveData().then("226 Done")
                  : reply.startsWith("close:") ? Reply(reply.mid(6)).thenClose()
                                               : Reply(reply);
        if (once)
            server.once(prefix, r);
        else
            server.on(prefix, r);
    }
}

// "D /path size" or "U path size" (local paths relative to the test folder), a trailing "/" for
// a folder.
QueueItem item(const QString &line, const QByteArray &local)
{
    const QStringList parts = line.split(' ');
    QueueItem result;
    result.direction = parts[0] == "D" ? QueueItem::Download : QueueItem::Upload;
    QByteArray name = parts[1].toUtf8();
    result.isFolder = name.endsWith('/');
    if (result.isFolder)
        name.chop(1);
    result.name = result.direction == QueueItem::Download ? name : local + "/up/" + name;
    result.sizeText = parts.value(2).toUtf8();
    result.destination = result.direction == QueueItem::Download ? local + "/down" : QByteArray("/r");
    return result;
}

QStringList filesUnder(const QString &root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        const QString relative = QDir(root).relativeFilePath(path);
        found << (it.fileInfo().isDir()
                      ? relative + "/"
                      : relative + "=" + (file.open(QIODevice::ReadOnly) ? file.readAll() : ""));
    }
    found.sort();
    return found;
}

} // namespace

class TestQueueTransferScripted : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().transferMode = 0;
        appSettings().afterTransferAction = 0;
        controller().session().relativePaths = false;
    }
    void cleanup()
    {
        shutdowncommand::resetForTest();
        testsupport::freshController();
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QStringList>("queued");
        QTest::addColumn<QStringList>("files"); // under down/ in the test folder, after the run
        QTest::addColumn<QStringList>("left");  // names still queued
        QTest::addColumn<QString>("message");   // a red log line
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("existing"); // under down/ before the run: "name=bytes", "name->target"

        const QStringList listedFolder{"CWD /f => 250 OK", "LIST => data:" + QString(line("x") + line("y"))};
        QTest::addRow("RETR refused, the next goes on")
            << QStringList{"CWD => 250 OK", "LIST => data:", "RETR /a => 550 No", "RETR /b => data:bbb"}
            << QStringList{"D /a 3", "D /b 3"} << QStringList{"down/", "down/b=bbb"} << QStringList{"/a"}
            << "/a was not transferred; it stays in the queue\n"
            << true << QStringList{};
        QTest::addRow("data connection closed early")
            << QStringList{"CWD => 250 OK", "LIST => data:", "RETR => data:12345"} << QStringList{"D /a 10"}
            << QStringList{"down/", "down/a=12345"} << QStringList{"/a"}
            << "Download incomplete: 5 of 10 bytes arrived; the part stays for a resume\n"
            << true << QStringList{};
        QTest::addRow("folder that cannot be entered")
            << QStringList{"CWD /f => 550 No such folder", "LIST => data:" + QString(line("stale"))}
            << QStringList{"D /f/"} << QStringList{"down/"} << QStringList{}
            << "Cannot list the folder /f; its entries are not queued\n"
            << true << QStringList{};
        QTest::addRow("listed name then refused")
            << (listedFolder + QStringList{"RETR /f/x => 550 Gone", "RETR /f/y => data:yyy"})
            << QStringList{"D /f/"} << QStringList{"down/", "down/f/", "down/f/y=yyy"} << QStringList{"/f/x"}
            << "/f/x was not transferred; it stays in the queue\n"
            << true << QStringList{};
        QTest::addRow("hostile names")
            << QStringList{"CWD /f => 250 OK",
                           "LIST => data:" + QString(line("../evil") + line("a/b") + line("..\\up") +
                                                     line("ok") + line("l -> ../../etc", "lrwxrwxrwx")),
                           "RETR => data:evil", "RETR /f/ok => data:fine"}
            << QStringList{"D /f/"} << QStringList{"down/", "down/f/", "down/f/ok=fine"} << QStringList{}
            << "Refused /f/../evil: it is not a plain file name\n"
            << true << QStringList{};
        QTest::addRow("destination folder refused")
            << QStringList{"MKD => 550 No", "CWD => 550 No", "STOR => recv"} << QStringList{"U dir/"}
            << QStringList{"down/"} << QStringList{}
            << "Cannot create or enter the folder /r/dir; its entries are not queued\n"
            << true << QStringList{};
        QTest::addRow("MKD refused for a folder that exists")
            << QStringList{"MKD => 550 Exists", "CWD => 250 OK", "LIST => data:", "STOR => recv"}
            << QStringList{"U dir/"} << QStringList{"down/"} << QStringList{} << QString() << true
            << QStringList{};
        QTest::addRow("STOR refused")
            << QStringList{"MKD => 257 Made", "CWD => 250 OK", "LIST => data:", "STOR => 553 No"}
            << QStringList{"U dir/"} << QStringList{"down/"} << QStringList{"dir/z"} << "Upload error\n"
            << true << QStringList{};
        QTest::addRow("control connection dropped in a tree")
            << (listedFolder + QStringList{"RETR /f/x => close:421 Bye"}) << QStringList{"D /f/", "D /g 3"}
            << QStringList{"down/", "down/f/"} << QStringList{"/f/x", "/f/y", "/g"} << QString() << false
            << QStringList{};
        QTest::addRow("local folder name taken by a file")
            << listedFolder << QStringList{"D /f/"} << QStringList{"down/", "down/f=file"} << QStringList{}
            << "Cannot create or enter the folder %1/down/f; its entries are not queued\n"
            << true << QStringList{"f=file"};
        QTest::addRow("local file is a link out")
            << QStringList{"CWD => 250 OK", "LIST => data:", "RETR => data:evil"} << QStringList{"D /a 4"}
            << QStringList{"down/", "down/a=outside"} << QStringList{}
            << "Refused %1/down/a: the destination is a link or no plain file\n"
            << true << QStringList{"a->../outside"};
    }
    void failures()
    {
        QFETCH(QStringList, rules);
        QFETCH(QStringList, queued);
        QFETCH(QStringList, files);
        QFETCH(QStringList, left);
        QFETCH(QString, message);
        QFETCH(bool, connected);
        QFETCH(QStringList, existing);

        QTemporaryDir folder;
        const QByteArray local = QFile::encodeName(folder.path());
        QVERIFY(QDir().mkpath(folder.path() + "/down") && QDir().mkpath(folder.path() + "/up/dir"));
        QFile upload(folder.path() + "/up/dir/z");
        QVERIFY(upload.open(QIODevice::WriteOnly) && upload.write("zz") == 2);
        upload.close();
        for (const QString &entry : existing) {
            const QString path = folder.path() + "/down/" + entry.section(QRegularExpression("=|->"), 0, 0);
            if (entry.contains("->")) {
                QVERIFY(QFile::link(entry.section("->", 1), path));
                continue;
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(entry.section('=', 1).toUtf8()) >= 0);
        }
        QFile outside(folder.path() + "/outside");
        QVERIFY(outside.open(QIODevice::WriteOnly) && outside.write("outside") == 7);
        outside.close();

        ScriptedServer server;
        script(server, rules);
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        TransferQueue queue{QString()};
        controller().session().views.queue = &queue;
        LogRecorder log;
        for (const QString &line : queued)
            queue.AddQueueItem(item(line, local), false);

        QVERIFY(testsupport::runOnWorker(
            [inputs = testsupport::startingTransfer()] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            60000));
        files << "up/"
              << "up/dir/"
              << "up/dir/z=zz"
              << "outside=outside";
        files.sort();
        QCOMPARE(filesUnder(folder.path()), files);
        QStringList names;
        for (const QueueItem &rest : queue.items())
            names << QString::fromUtf8(rest.name).remove(folder.path() + "/up/");
        QCOMPARE(names, left);
        if (!message.isEmpty())
            QVERIFY2(
                log.contains(message.contains("%1") ? message.arg(folder.path()) : message, LogColor::Error),
                qPrintable(message));
        QCOMPARE(controller().session().connected.load(), connected);
        QVERIFY(!controller().session().transferRunning);
        QVERIFY(!server.commands().contains("RETR /f/../evil"));
    }

    // An abort in the middle of a tree: the file in transfer stays at the head of the queue, the
    // files before it are whole, and the run's state is put back.
    void abortInATree()
    {
        ScriptedServer server;
        script(server, {"CWD => 250 OK", "LIST => data:" + QString(line("x") + line("y", "-rw-r--r--", 9)),
                        "RETR /f/x => data:xxx", "RETR /f/y => 150 Opening, and nothing more"});
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        TransferQueue queue{QString()};
        controller().session().views.queue = &queue;
        QTemporaryDir folder;
        const QByteArray local = QFile::encodeName(folder.path());
        queue.AddQueueItem({"/f", {}, local, QueueItem::Download, true}, false);
        queue.AddQueueItem({"/later", "3", local, QueueItem::Download, false}, false);
        QTimer abort;
        QObject::connect(&abort, &QTimer::timeout, [&server] {
            if (server.commands().contains("RETR /f/y"))
                workerstop::request();
        });
        abort.start(10);
        QVERIFY(testsupport::runOnWorker(
            [inputs = testsupport::startingTransfer()] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            60000));
        QStringList left;
        for (const QueueItem &rest : queue.items())
            left << QString::fromUtf8(rest.name);
        QCOMPARE(left, (QStringList{"/f/y", "/later"}));
        QFile x(folder.path() + "/f/x");
        QVERIFY(x.open(QIODevice::ReadOnly));
        QCOMPARE(x.readAll(), QByteArray("xxx"));
        QVERIFY(!controller().session().transferRunning);
        QVERIFY(!controller().session().listingRunning);
    }

    // Type A text travels with CR LF line ends and lands with LF: what comes down goes up again
    // exactly as it came.
    void typeACrlfText()
    {
        const QByteArray network = "one\r\ntwo\r\n\r\nlone\rCR\r\n";
        ScriptedServer server;
        script(server, {"CWD => 250 OK", "LIST => data:", "RETR => data:" + QString::fromLatin1(network),
                        "STOR => recv"});
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        TransferQueue queue{QString()};
        controller().session().views.queue = &queue;
        appSettings().asciiExtensions = QStringLiteral("TXT");
        QTemporaryDir folder;
        const QByteArray local = QFile::encodeName(folder.path());
        queue.AddQueueItem({"/t.txt", {}, local, QueueItem::Download, false}, false);
        queue.AddQueueItem({local + "/t.txt", {}, "/", QueueItem::Upload, false}, false);
        views.onAskExistingFile = [](const QString &, bool, bool) {
            return ExistingFileAnswer{ExistingFileAnswer::Overwrite, false};
        };
        QVERIFY(testsupport::runOnWorker(
            [inputs = testsupport::startingTransfer()] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            60000));
        QFile file(folder.path() + "/t.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("one\ntwo\n\nlone\rCR\n"));
        QCOMPARE(server.uploaded(), network);
    }

    // The shut-down after the run goes through its command; a failure is said in the log.
    void shutdownCommand_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("reported");
        QTest::addRow("succeeds") << "true" << false;
        QTest::addRow("fails") << "false" << true;
        QTest::addRow("missing") << "/nonexistent/poweroff" << true;
    }
    void shutdownCommand()
    {
        QFETCH(QString, program);
        QFETCH(bool, reported);
        ScriptedServer server;
        QVERIFY(testsupport::connectControl(server.port()) >= 0);
        testsupport::TestViews views;
        TransferQueue queue{QString()};
        controller().session().views.queue = &queue;
        QList<AfterTransferAction> asked;
        views.onConfirmAfterTransfer = [&asked](AfterTransferAction action) {
            asked << action;
            return true;
        };
        shutdowncommand::setForTest({program});
        appSettings().afterTransferAction = 2;
        LogRecorder log;
        QVERIFY(testsupport::runOnWorker(
            [inputs = testsupport::startingTransfer()] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            60000));
        QCOMPARE(asked, QList<AfterTransferAction>{AfterTransferAction::Shutdown});
        bool said = false;
        for (const auto &entry : log.lines())
            said |=
                entry.color == LogColor::Error && entry.text.startsWith("Cannot shut down the computer: ");
        QCOMPARE(said, reported);
    }
};

QTEST_MAIN(TestQueueTransferScripted)
#include "tst_queuetransfer_scripted.moc"
