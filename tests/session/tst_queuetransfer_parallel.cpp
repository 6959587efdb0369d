// The queue run on several connections at once against the real server: whole trees both ways,
// servers that refuse the extra logins, and a stop in the middle of four transfers.
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "session/ftpprotocol.h"
#include "session/queuefile.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/transferqueue.h"
#include "sessionreset.h"
#include "testfiles.h"
#include "testviews.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using testsupport::controller;
using testsupport::FtpServer;
using testsupport::LogRecorder;
using testsupport::randomBytes;
using testsupport::readFile;
using testsupport::writeFile;

namespace
{

// Every file under `root` with its contents' start, sorted.
QStringList treeOf(const QString &root)
{
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        lines << (it.fileInfo().isDir() ? relative + "/" : relative + ": " + readFile(path).toHex().left(64) +
                                                              " " + QString::number(it.fileInfo().size()));
    }
    lines.sort();
    return lines;
}

bool put(const QString &path, const QByteArray &bytes)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && writeFile(path, bytes);
}

// `folders` folders of `files` files each, of a few KiB.
void makeTree(const QString &root, int folders, int files)
{
    for (int f = 0; f < folders; ++f)
        for (int i = 0; i < files; ++i)
            QVERIFY(put(QStringLiteral("%1/d%2/f%3.bin").arg(root).arg(f).arg(i),
                              randomBytes(1000 + 97 * i, quint32(f * 100 + i + 1))));
}

QueueItem folderItem(const QByteArray &name, const QByteArray &destination, QueueItem::Direction direction)
{
    return {name, {}, destination, direction, true};
}


// The connection marks of the log lines that start a transfer.
QSet<QString> transferMarks(const LogRecorder &log)
{
    static const QRegularExpression started(QStringLiteral("^\\[(\\d+)\\] Starting to "));
    QSet<QString> marks;
    for (const QString &line : log.texts(LogColor::Status)) {
        const QRegularExpressionMatch match = started.match(line);
        if (match.hasMatch())
            marks.insert(match.captured(1));
    }
    return marks;
}

struct Run {
    testsupport::TestViews views;
    TransferQueue queue;
    LogRecorder log;
    explicit Run(const QString &folder = QString()) : queue(folder) { controller().session().views.queue = &queue; }
    bool go()
    {
        const TransferInputs inputs = testsupport::startingTransfer();
        return testsupport::runOnWorker(
            [inputs] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            120000);
    }
};

} // namespace

class TestQueueTransferParallel : public QObject
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
        appSettings().asciiExtensions.clear();
    }
    void cleanup() { testsupport::freshController(); }

    void wholeTrees_data()
    {
        QTest::addColumn<int>("connections");
        QTest::addColumn<bool>("relative");
        QTest::newRow("1 connection") << 1 << false;
        QTest::newRow("2 connections") << 2 << false;
        QTest::newRow("4 connections") << 4 << false;
        QTest::newRow("4 connections, relative paths") << 4 << true;
    }

    // Down and up again: every file arrives whole, once, and the queue ends empty; with more than
    // one connection every one of them transferred files and marked its lines.
    void wholeTrees()
    {
        QFETCH(int, connections);
        QFETCH(bool, relative);
        FtpServer server;
        QVERIFY(server.isRunning());
        makeTree(server.root() + "/tree", 3, 12);
        const QStringList expected = treeOf(server.root() + "/tree");
        appSettings().simultaneousTransfers = connections;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        controller().session().relativePaths = relative;

        QTemporaryDir down;
        {
            Run run;
            run.views.remotePath = "/";
            run.queue.AddQueueItem(folderItem("/tree", QFile::encodeName(down.path()), QueueItem::Download), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(down.path() + "/tree"), expected);
            QVERIFY(run.queue.items().empty());
            QCOMPARE(run.log.texts(LogColor::Error), QStringList());
            QCOMPARE(transferMarks(run.log).size(), connections > 1 ? connections : 0);
            // No file was fetched twice.
            QCOMPARE(run.log.texts(LogColor::Command).filter(QRegularExpression("^(\\[\\d+\\] )?RETR ")).size(),
                     expected.size() - 3);
        }
        QVERIFY(QDir(server.root()).mkdir("back"));
        {
            Run run;
            run.views.remotePath = "/";
            run.queue.AddQueueItem(
                folderItem(QFile::encodeName(down.path() + "/tree"), "/back", QueueItem::Upload), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(server.root() + "/back/tree"), expected);
            QVERIFY(run.queue.items().empty());
            QCOMPARE(run.log.texts(LogColor::Error), QStringList());
            QCOMPARE(transferMarks(run.log).size(), connections > 1 ? connections : 0);
        }
    }

    void oneQuestionForAll_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("skip all") << int(ExistingFileAnswer::Skip);
        QTest::newRow("overwrite all") << int(ExistingFileAnswer::Overwrite);
    }

    // Every file is there already: one question, and its "All" holds on every connection.
    void oneQuestionForAll()
    {
        QFETCH(int, choice);
        FtpServer server;
        QVERIFY(server.isRunning());
        makeTree(server.root() + "/tree", 2, 10);
        const QStringList expected = treeOf(server.root() + "/tree");
        QTemporaryDir down;
        for (const QString &line : expected) {
            if (!line.endsWith('/'))
                QVERIFY(put(down.path() + "/tree/" + line.section(':', 0, 0), "old"));
        }
        const QStringList before = treeOf(down.path() + "/tree");
        appSettings().simultaneousTransfers = 4;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        int asked = 0;
        run.views.onAskExistingFile = [&asked, choice](const QString &, bool, bool) {
            ++asked;
            return ExistingFileAnswer{ExistingFileAnswer::Choice(choice), true};
        };
        run.queue.AddQueueItem(folderItem("/tree", QFile::encodeName(down.path()), QueueItem::Download), false);
        QVERIFY(run.go());
        QCOMPARE(asked, 1);
        QCOMPARE(treeOf(down.path() + "/tree"), choice == ExistingFileAnswer::Skip ? before : expected);
        QVERIFY(run.queue.items().empty());
    }

    void refusedLogins_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("used"); // connections the run is left with, 0: no refusal said
        QTest::newRow("421 beyond two") << "421:2" << 2;
        QTest::newRow("530 beyond one user") << "530:1" << 1;
        QTest::newRow("closed at once beyond three") << "close:3" << 3;
        // Refused only after a few files: the connection goes, its item is taken by another.
        QTest::newRow("421 after two files") << "late421:2" << 0;
    }

    // The run goes on with the connections it has, says so once, and the next run to that site
    // asks for no more than that.
    void refusedLogins()
    {
        QFETCH(QString, limit);
        QFETCH(int, used);
        FtpServer server(FtpServer::Limit{limit});
        QVERIFY(server.isRunning());
        makeTree(server.root() + "/tree", 2, 10);
        const QStringList expected = treeOf(server.root() + "/tree");
        appSettings().simultaneousTransfers = 4;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        const QString refusal = formatText(TextId::MoreConnectionsRefused, used);

        for (int round = 0; round < 2; ++round) {
            // The server has seen the first run's connections go.
            QTest::qWait(round * 300);
            QTemporaryDir down;
            Run run;
            run.queue.AddQueueItem(folderItem("/tree", QFile::encodeName(down.path()), QueueItem::Download), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(down.path() + "/tree"), expected);
            QVERIFY(run.queue.items().empty());
            int said = 0;
            for (const QString &line : run.log.texts(LogColor::Status))
                said += line.endsWith(refusal) ? 1 : 0;
            if (used == 0)
                continue;
            // Said once in the first run; the second opens no more than the site took.
            QCOMPARE(said, round == 0 ? 1 : 0);
            if (round == 1)
                QCOMPARE(run.log.texts(LogColor::Status).filter(QStringLiteral("Transferring on %1 ").arg(used)).size(),
                         used > 1 ? 1 : 0);
        }
    }

    void stopInTheMiddle_data()
    {
        QTest::addColumn<int>("connections");
        QTest::newRow("1 connection") << 1;
        QTest::newRow("4 connections") << 4;
    }

    // Disconnect while every connection is in the middle of a file ends them all within the
    // clean-up bound; the queue file then holds every file that did not arrive whole.
    void stopInTheMiddle()
    {
        QFETCH(int, connections);
        FtpServer server(FtpServer::Limit{QStringLiteral("slow:100000")});
        QVERIFY(server.isRunning());
        for (int i = 0; i < 8; ++i)
            QVERIFY(put(QStringLiteral("%1/big/f%2.bin").arg(server.root()).arg(i), randomBytes(400000, quint32(i + 1))));
        for (int i = 0; i < 3; ++i)
            QVERIFY(put(QStringLiteral("%1/big/s%2.bin").arg(server.root()).arg(i), randomBytes(500, quint32(i + 50))));
        appSettings().simultaneousTransfers = connections;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        QTemporaryDir program;
        QTemporaryDir down;
        Run run(program.path() + "/");
        run.queue.startAutosave();
        run.queue.AddQueueItem(folderItem("/big", QFile::encodeName(down.path()), QueueItem::Download), false);
        QVERIFY(controller().startJob(TransferRequest{}));
        const auto working = [&] {
            if (connections > 1)
                return transferMarks(run.log).size() == connections;
            return !run.log.texts(LogColor::Command).filter(QRegularExpression("^RETR /big/f")).isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(working(), 20000);
        // Well inside the data of a file.
        QTest::qWait(300);

        QElapsedTimer stopping;
        stopping.start();
        controller().disconnect();
        QVERIFY2(stopping.elapsed() < durations::get(durations::Kind::JobDoneWait).count(),
                 qPrintable(QString::number(stopping.elapsed())));
        QVERIFY(!controller().connected());
        // The last clean-up job's thread may still be on its way out after it signalled.
        QTRY_VERIFY_WITH_TIMEOUT(!controller().worker().running(), 1000);

        run.queue.flushAutosave();
        TransferQueue saved(program.path() + "/");
        QVERIFY(saved.LoadQueueFile(QString::fromLatin1(queuefile::autosaveName)));
        QSet<QByteArray> queued;
        for (const QueueItem &item : saved.items())
            queued.insert(item.name);
        QSet<QByteArray> held;
        for (const QueueItem &item : run.queue.items())
            held.insert(item.name);
        QCOMPARE(queued, held);
        QVERIFY(!queued.isEmpty());
        const QStringList sources = QDir(server.root() + "/big").entryList(QDir::Files);
        for (const QString &name : sources) {
            const bool whole = readFile(down.path() + "/big/" + name) == readFile(server.root() + "/big/" + name);
            QVERIFY2(whole || queued.contains("/big/" + name.toUtf8()), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestQueueTransferParallel)
#include "tst_queuetransfer_parallel.moc"
