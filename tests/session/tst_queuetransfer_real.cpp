// The queue transfer job against the real server: whole trees both ways, resume, the
// existing-file choices, type A and hostile links.
#include "engine/login.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "session/jobs.h"
#include "session/sessionstate.h"
#include "sessionreset.h"
#include "testqueue.h"
#include "testviews.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

using testsupport::FtpServer;
using testsupport::LogRecorder;

namespace
{

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray sample(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2463534242u + quint32(seed);
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

// Every file and folder under `root`, links followed, as "path: content" lines.
QStringList treeOf(const QString &root)
{
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        lines << (it.fileInfo().isDir() ? relative + "/" : relative + ": " + readFile(path).toHex().left(64));
    }
    lines.sort();
    return lines;
}

QueueItem folderItem(const QByteArray &name, const QByteArray &destination, QueueItem::Direction direction)
{
    return {name, {}, destination, direction, true};
}

} // namespace

class TestQueueTransferReal : public QObject
{
    Q_OBJECT
    FtpServer server;

    struct Run {
        testsupport::TestViews views;
        testsupport::TestQueue queue;
        LogRecorder log;
        QList<ExistingFileAnswer> answers;
        QStringList asked;
        Run()
        {
            session().views.queue = &queue;
            views.onAskExistingFile = [this](const QString &name, bool upload, bool) {
                asked << QString(upload ? "up " : "down ") + name;
                return answers.isEmpty() ? ExistingFileAnswer{} : answers.takeFirst();
            };
        }
        bool go()
        {
            return testsupport::runOnWorker([] { TransferQueueJob(); }, 120000);
        }
    };

    bool login()
    {
        SessionState &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        s.userName = QString::fromLatin1(FtpServer::user);
        s.password = QString::fromLatin1(FtpServer::password);
        s.anonymousLogin = false;
        s.passive = true;
        s.currentType = 'A';
        s.controlSocket = Login(s, s.login());
        s.connected = s.controlSocket >= 0;
        return s.connected;
    }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(server.isRunning());
    }
    void init()
    {
        testsupport::resetSession();
        appSettings().soundEffects = 0;
        appSettings().transferMode = 0;
        appSettings().afterTransferAction = 0;
        appSettings().asciiExtensions = QStringLiteral("TXT");
        session().relativePaths = false;
    }
    void cleanup() { testsupport::resetSession(); }

    // A tree with nested and empty folders, a link to a file, a link to its own folder and a link
    // out of the tree goes down and comes back up whole; the outward link is refused and nothing
    // lands beside the destination.
    void treeBothWays()
    {
        const QString root = server.root() + "/tree";
        writeFile(root + "/a.bin", sample(70000, 1));
        writeFile(root + "/sub/deep/b.bin", sample(5, 2));
        writeFile(root + "/sub/c.bin", QByteArray());
        QVERIFY(QDir().mkpath(root + "/empty/inner"));
        QVERIFY(QFile::link("a.bin", root + "/alias.bin"));
        QVERIFY(QFile::link(".", root + "/sub/loop"));
        QVERIFY(QFile::link("../../..", root + "/sub/escape"));
        QStringList expected = treeOf(root);
        expected.removeIf(
            [](const QString &line) { return line.startsWith("sub/escape") || line.startsWith("sub/loop"); });
        QVERIFY(login());

        QTemporaryDir down;
        const QByteArray destination = QFile::encodeName(down.path() + "/dest");
        QVERIFY(QDir().mkpath(down.path() + "/dest"));
        {
            Run run;
            run.queue.AddQueueItem(folderItem("/tree", destination, QueueItem::Download), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(down.path() + "/dest/tree"), expected);
            QCOMPARE(QDir(down.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                     QStringList{"dest"});
            QVERIFY(run.log.contains(
                "Refused /tree/sub/escape -> ../../..: its link leads out of its folder\n", LogColor::Error));
            QVERIFY(
                run.log.contains("Skipped /tree/sub/loop -> .: this folder was reached before in this run\n",
                                 LogColor::Error));
            QVERIFY(run.queue.items().isEmpty());
        }
        // Up again into another folder, the local copy's own loop link included.
        QVERIFY(QFile::link(".", down.path() + "/dest/tree/sub/loop"));
        QVERIFY(QDir(server.root()).mkdir("back"));
        {
            Run run;
            run.queue.AddQueueItem(folderItem(destination + "/tree", "/back", QueueItem::Upload), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(server.root() + "/back/tree"), expected);
            QVERIFY(run.queue.items().isEmpty());
            QVERIFY(run.log.contains("Skipped " + down.path() +
                                         "/dest/tree/sub/loop: this folder was reached "
                                         "before in this run\n",
                                     LogColor::Error));
        }
    }

    // A file cut in the middle is resumed (REST / APPE) and ends whole; a local file longer than
    // the remote one is never appended to.
    void resumeBothWays_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("partial");
        QTest::addColumn<QByteArray>("queuedSize");
        QTest::addRow("download cut") << false << 30000 << QByteArray("80,000");
        // The size queued earlier says more than the server has now: its SIZE counts.
        QTest::addRow("download longer locally") << false << 90000 << QByteArray("100,000");
        QTest::addRow("upload cut") << true << 30000 << QByteArray("80,000");
    }
    void resumeBothWays()
    {
        QFETCH(bool, upload);
        QFETCH(int, partial);
        QFETCH(QByteArray, queuedSize);
        const QByteArray content = sample(80000, partial);
        QTemporaryDir local;
        const QString name = QStringLiteral("r%1%2.bin").arg(upload).arg(partial);
        const QString remote = server.root() + "/" + name;
        const QString localPath = local.path() + "/" + name;
        writeFile(upload ? localPath : remote, content);
        writeFile(upload ? remote : localPath,
                  partial > content.size() ? sample(partial, 9) : content.left(partial));
        QVERIFY(login());
        Run run;
        run.views.remotePath = "/";
        run.answers << ExistingFileAnswer{ExistingFileAnswer::Resume, false};
        QueueItem item{upload ? QFile::encodeName(localPath) : "/" + name.toUtf8(), queuedSize,
                       upload ? QByteArray("/") : QFile::encodeName(local.path()),
                       upload ? QueueItem::Upload : QueueItem::Download, false};
        run.queue.AddQueueItem(item, false);
        QVERIFY(run.go());
        QCOMPARE(run.asked.size(), 1);
        QCOMPARE(readFile(remote), content);
        QCOMPARE(readFile(localPath), content);
        QCOMPARE(run.log.contains(QStringLiteral("Resuming at %1 bytes\n").arg(partial), LogColor::Status),
                 partial < content.size());
        QVERIFY(run.queue.items().isEmpty());
    }

    // "All" keeps a choice for the rest of the run in its own direction only.
    void existingFileChoices_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("replaced");
        QTest::addRow("skip all") << int(ExistingFileAnswer::Skip) << true << 2 << false;
        QTest::addRow("overwrite all") << int(ExistingFileAnswer::Overwrite) << true << 2 << true;
        QTest::addRow("skip each") << int(ExistingFileAnswer::Skip) << false << 4 << false;
        QTest::addRow("dismissed keeps the file") << int(ExistingFileAnswer::None) << false << 4 << false;
    }
    void existingFileChoices()
    {
        QFETCH(int, choice);
        QFETCH(bool, all);
        QFETCH(int, questions);
        QFETCH(bool, replaced);
        QTemporaryDir local;
        QVERIFY(QDir(server.root()).mkpath("choices"));
        for (const char *name : {"x1.bin", "x2.bin", "y1.bin", "y2.bin"}) {
            writeFile(server.root() + "/choices/" + name, "server");
            writeFile(local.path() + "/" + name, "local!");
        }
        QVERIFY(login());
        Run run;
        for (int i = 0; i < 4; ++i)
            run.answers << ExistingFileAnswer{ExistingFileAnswer::Choice(choice), all};
        const QByteArray folder = QFile::encodeName(local.path());
        // Down, up, down, up: the kept download answer must not answer an upload.
        for (const QByteArray n : {"1", "2"}) {
            run.queue.AddQueueItem({"/choices/x" + n + ".bin", "6", folder, QueueItem::Download, false},
                                   false);
            run.queue.AddQueueItem({folder + "/y" + n + ".bin", "6", "/choices", QueueItem::Upload, false},
                                   false);
        }
        QVERIFY(run.go());
        QCOMPARE(run.asked.size(), questions);
        QVERIFY(run.asked.first().startsWith("down") && run.asked.at(1).startsWith("up"));
        const QByteArray down = replaced ? "server" : "local!";
        const QByteArray up = replaced ? "local!" : "server";
        for (const QString n : {"1", "2"}) {
            QCOMPARE(readFile(local.path() + "/x" + n + ".bin"), down);
            QCOMPARE(readFile(server.root() + "/choices/y" + n + ".bin"), up);
        }
        QVERIFY(run.queue.items().isEmpty());
    }

    // Type A: a text comes down with the local LF line ends and goes up to the same bytes; a
    // text that holds CR LF itself reaches the server unchanged.
    void typeARoundTrip_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("down");
        QTest::addRow("LF text down and up") << QByteArray("one\ntwo\n\nend") << true;
        QTest::addRow("CR LF text up") << QByteArray("one\r\ntwo\r\n") << false;
    }
    void typeARoundTrip()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, down);
        QTemporaryDir local;
        const QString name = QStringLiteral("t%1.txt").arg(down);
        writeFile((down ? server.root() : local.path()) + "/" + name, text);
        QVERIFY(QDir(server.root()).mkpath("again"));
        QVERIFY(login());
        Run run;
        const QByteArray folder = QFile::encodeName(local.path());
        if (down)
            run.queue.AddQueueItem({"/" + name.toUtf8(), {}, folder, QueueItem::Download, false}, false);
        run.queue.AddQueueItem({folder + "/" + name.toUtf8(), {}, "/again", QueueItem::Upload, false}, false);
        QVERIFY(run.go());
        QCOMPARE(readFile(local.path() + "/" + name), text);
        QCOMPARE(readFile(server.root() + "/again/" + name), text);
    }
};

QTEST_MAIN(TestQueueTransferReal)
#include "tst_queuetransfer_real.moc"
