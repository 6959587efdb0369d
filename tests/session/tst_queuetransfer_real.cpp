// The queue transfer job against the real server: whole trees both ways, resume, the
// existing-file choices, type A and hostile links.
#include "testfiles.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "session/ftpprotocol.h"
#include "session/jobs.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "session/queuetransferjob.h"
#include "session/transferqueue.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <QTimeZone>

#include <optional>

using testsupport::controller;

using testsupport::FtpServer;
using testsupport::LogRecorder;

using testsupport::readFile;

namespace
{

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
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
        TransferQueue queue{QString()};
        LogRecorder log;
        QList<ExistingFileAnswer> answers;
        QStringList asked;
        Run()
        {
            controller().session().views.queue = &queue;
            views.onAskExistingFile = [this](const QString &name, bool upload, bool) {
                asked << QString(upload ? "up " : "down ") + name;
                return answers.isEmpty() ? ExistingFileAnswer{} : answers.takeFirst();
            };
        }
        bool go() { return go(testsupport::startingTransfer()); }
        bool go(const TransferInputs &inputs)
        {
            return testsupport::runOnWorker(
                [inputs] {
                    FtpProtocol protocol(controller().session());
                    (void)TransferQueueJob(protocol, controller().session(), inputs);
                },
                120000);
        }
        // The order in which the files were fetched or sent.
        QStringList started() const
        {
            QStringList names;
            for (const QString &line : log.texts(LogColor::Status)) {
                if (line.startsWith("Starting to "))
                    names << line.section(' ', 3).trimmed().section('/', -1);
            }
            return names;
        }
    };

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(server.isRunning());
    }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().transferMode = 0;
        appSettings().afterTransferAction = 0;
        appSettings().asciiExtensions = QStringLiteral("TXT");
        controller().session().relativePaths = false;
    }
    void cleanup() { testsupport::freshController(); }

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
        QVERIFY(testsupport::logInToTestServer(server.port()));

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
            QVERIFY(run.queue.items().empty());
        }
        // Up again into another folder, the local copy's own loop link included.
        QVERIFY(QFile::link(".", down.path() + "/dest/tree/sub/loop"));
        QVERIFY(QDir(server.root()).mkdir("back"));
        {
            Run run;
            run.queue.AddQueueItem(folderItem(destination + "/tree", "/back", QueueItem::Upload), false);
            QVERIFY(run.go());
            QCOMPARE(treeOf(server.root() + "/back/tree"), expected);
            QVERIFY(run.queue.items().empty());
            QVERIFY(run.log.contains("Skipped " + down.path() +
                                         "/dest/tree/sub/loop: this folder was reached "
                                         "before in this run\n",
                                     LogColor::Error));
        }
    }

    // With relative paths every change of folder names one folder (CWD name, CDUP), and a link to
    // a file is fetched as the file without a word of error.
    void relativePathsAndFileLinks()
    {
        const QString root = server.root() + "/rel";
        writeFile(root + "/a/f1.bin", sample(1000, 3));
        writeFile(root + "/b/f2.bin", sample(10, 4));
        QVERIFY(QFile::link("a/f1.bin", root + "/lnk.bin"));
        QVERIFY(testsupport::logInToTestServer(server.port()));
        controller().session().relativePaths = true;
        QTemporaryDir down;
        Run run;
        run.views.remotePath = "/";
        run.queue.AddQueueItem(folderItem("/rel", QFile::encodeName(down.path()), QueueItem::Download), false);
        QVERIFY(run.go());
        QCOMPARE(readFile(down.path() + "/rel/a/f1.bin"), sample(1000, 3));
        QCOMPARE(readFile(down.path() + "/rel/b/f2.bin"), sample(10, 4));
        QCOMPARE(readFile(down.path() + "/rel/lnk.bin"), sample(1000, 3));
        QVERIFY(run.queue.items().empty());
        QStringList changes;
        for (const QString &line : run.log.texts(LogColor::Command)) {
            if (line.startsWith("CWD ") || line.startsWith("CDUP"))
                changes << line.trimmed();
        }
        QVERIFY(!changes.isEmpty());
        for (const QString &change : changes)
            QVERIFY2(!change.contains('/'), qPrintable(changes.join(", ")));
        QVERIFY2(run.log.texts(LogColor::Error).isEmpty(), qPrintable(run.log.texts(LogColor::Error).join(QLatin1Char('|'))));
        // The run ends where it began.
        QVERIFY(changes.last() == "CDUP" || changes.last() == "CWD /");
    }

    // A folder's entries go in the order the pane shows them: folders first, then its sort.
    void entriesInThePanesOrder_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("order");
        QTest::addRow("download, largest first")
            << false << 1 << int(SortNumber) << false << QStringList{"z.bin", "b.bin", "c.bin", "a.bin"};
        QTest::addRow("download, names backwards")
            << false << 0 << int(SortText) << false << QStringList{"z.bin", "c.bin", "b.bin", "a.bin"};
        QTest::addRow("upload, largest first")
            << true << 1 << int(SortNumber) << false << QStringList{"z.bin", "b.bin", "c.bin", "a.bin"};
        QTest::addRow("upload, names backwards")
            << true << 0 << int(SortText) << false << QStringList{"z.bin", "c.bin", "b.bin", "a.bin"};
    }
    void entriesInThePanesOrder()
    {
        QFETCH(bool, upload);
        QFETCH(int, column);
        QFETCH(int, kind);
        QFETCH(bool, ascending);
        QFETCH(QStringList, order);
        QTemporaryDir local;
        const QString tag = QString::number(QTest::currentDataTag()[0] == 'u') + QString::number(column);
        const QString source = (upload ? local.path() : server.root()) + "/sorted" + tag;
        writeFile(source + "/a.bin", "1");
        writeFile(source + "/b.bin", "333");
        writeFile(source + "/c.bin", "22");
        writeFile(source + "/sub/z.bin", "z");
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        run.views.remotePath = "/";
        TransferInputs inputs = testsupport::startingTransfer();
        (upload ? inputs.localOrder : inputs.remoteOrder) = RowOrder{column, kind, ascending};
        if (upload)
            run.queue.AddQueueItem(folderItem(QFile::encodeName(source), "/", QueueItem::Upload), false);
        else
            run.queue.AddQueueItem(
                folderItem("/sorted" + tag.toUtf8(), QFile::encodeName(local.path()), QueueItem::Download), false);
        QVERIFY(run.go(inputs));
        QCOMPARE(run.started(), order);
    }

    // Nothing a download writes lands outside the destination: not through a destination folder
    // that is a link, not through a queued link that leads out of its tree.
    void nothingLeavesTheTree_data()
    {
        QTest::addColumn<QByteArray>("queued");
        QTest::addColumn<bool>("linkedDestination");
        QTest::addColumn<QString>("logged");
        QTest::addRow("destination folder is a link")
            << QByteArray("/inside") << true << "Cannot create or enter the folder %1/inside; its entries are not queued\n";
        QTest::addRow("queued link out of its tree")
            << QByteArray("/inside/up -> ../..") << false << "Refused /inside/up -> ../..: its link leads out of its folder\n";
        QTest::addRow("queued link to a root path")
            << QByteArray("/inside/abs -> /inside") << false << "Refused /inside/abs -> /inside: its link leads out of its folder\n";
    }
    void nothingLeavesTheTree()
    {
        QFETCH(QByteArray, queued);
        QFETCH(bool, linkedDestination);
        QFETCH(QString, logged);
        writeFile(server.root() + "/inside/f.bin", "inside");
        QFile::link("../..", server.root() + "/inside/up");
        QFile::link("/inside", server.root() + "/inside/abs");
        QTemporaryDir local;
        QVERIFY(QDir().mkpath(local.path() + "/dest") && QDir().mkpath(local.path() + "/elsewhere"));
        if (linkedDestination)
            QVERIFY(QFile::link(local.path() + "/elsewhere", local.path() + "/dest/inside"));
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        run.queue.AddQueueItem(folderItem(queued, QFile::encodeName(local.path() + "/dest"), QueueItem::Download),
                               false);
        QVERIFY(run.go());
        QVERIFY(QDir(local.path() + "/elsewhere").isEmpty());
        QCOMPARE(QDir(local.path() + "/dest").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
                 linkedDestination ? QStringList{"inside"} : QStringList{});
        QVERIFY2(run.log.contains(logged.contains("%1") ? logged.arg(local.path() + "/dest") : logged, LogColor::Error),
                 qPrintable(run.log.texts(LogColor::Error).join(QLatin1Char('|'))));
        QVERIFY(run.queue.items().empty());
    }

    // The existing-file question answered Rename: the file the user kept stays as it was, the
    // download lands under the new name.
    void renameKeepsTheExistingFile()
    {
        QTemporaryDir local;
        writeFile(server.root() + "/ren/x.bin", "server");
        writeFile(local.path() + "/x.bin", "local!");
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        run.answers << ExistingFileAnswer{ExistingFileAnswer::Rename, false};
        QByteArray offered;
        const QByteArray renamed = QFile::encodeName(local.path() + "/y.bin");
        run.views.onAskRenameTarget = [&](const QByteArray &path) {
            offered = path;
            return std::optional<QByteArray>(renamed);
        };
        run.queue.AddQueueItem({"/ren/x.bin", "6", QFile::encodeName(local.path()), QueueItem::Download, false},
                               false);
        QVERIFY(run.go());
        QCOMPARE(offered, QFile::encodeName(local.path() + "/x.bin"));
        QCOMPARE(readFile(local.path() + "/x.bin"), QByteArray("local!"));
        QCOMPARE(readFile(local.path() + "/y.bin"), QByteArray("server"));
        QVERIFY(run.queue.items().empty());
    }

    // A line break in a queued path would let the rest of it reach the server as commands of its
    // own: such an item is refused before anything is sent for it.
    void lineBreaksNeverReachTheServer()
    {
        writeFile(server.root() + "/precious", "keep me");
        writeFile(server.root() + "/x/f.txt", "f");
        QTemporaryDir local;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        const QByteArray folder = QFile::encodeName(local.path());
        run.queue.AddQueueItem({"/x\r\nDELE /precious\r\nNOOP/f.txt", "1", folder, QueueItem::Download, false}, false);
        run.queue.AddQueueItem({"/x/f.txt", "1", "/tmp\r\nDELE /precious", QueueItem::Download, false}, false);
        QVERIFY(run.go());
        QCOMPARE(readFile(server.root() + "/precious"), QByteArray("keep me"));
        QVERIFY(run.log.contains("Refused /x\\r\\nDELE /precious\\r\\nNOOP/f.txt: its path holds a line break\n",
                                 LogColor::Error));
        QVERIFY(run.log.contains("Refused /tmp\\r\\nDELE /precious: its path holds a line break\n", LogColor::Error));
        QVERIFY(run.queue.items().empty());
    }

    // A file cut in the middle is resumed (REST / APPE) after its last 64 KiB were compared, and
    // ends whole; a local file longer than the remote one is never appended to.
    void resumeBothWays_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("partial");
        QTest::addColumn<QByteArray>("queuedSize");
        QTest::addRow("download cut") << false << 100000 << QByteArray("200,000");
        // The size queued earlier says more than the server has now: its SIZE counts.
        QTest::addRow("download longer locally") << false << 220000 << QByteArray("250,000");
        QTest::addRow("upload cut") << true << 100000 << QByteArray("200,000");
    }
    void resumeBothWays()
    {
        QFETCH(bool, upload);
        QFETCH(int, partial);
        QFETCH(QByteArray, queuedSize);
        const QByteArray content = sample(200000, partial);
        QTemporaryDir local;
        const QString name = QStringLiteral("r%1%2.bin").arg(upload).arg(partial);
        const QString remote = server.root() + "/" + name;
        const QString localPath = local.path() + "/" + name;
        writeFile(upload ? localPath : remote, content);
        writeFile(upload ? remote : localPath,
                  partial > content.size() ? sample(partial, 9) : content.left(partial));
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        run.views.remotePath = "/";
        run.answers << ExistingFileAnswer{ExistingFileAnswer::Resume, false};
        QueueItem item{upload ? QFile::encodeName(localPath) : "/" + name.toUtf8(), queuedSize,
                       upload ? QByteArray("/") : QFile::encodeName(local.path()),
                       upload ? QueueItem::Upload : QueueItem::Download, false};
        run.queue.AddQueueItem(item, false);
        QVERIFY(run.go());
        // A part that cannot be the file's beginning is not offered for a resume.
        QCOMPARE(run.asked.size(), partial < content.size() ? 1 : 0);
        QCOMPARE(readFile(remote), content);
        QCOMPARE(readFile(localPath), content);
        QCOMPARE(run.log.contains(QStringLiteral("Resuming at %1 bytes\n").arg(partial), LogColor::Status),
                 partial < content.size());
        QVERIFY(run.queue.items().empty());
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
        QVERIFY(testsupport::logInToTestServer(server.port()));
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
        QVERIFY(run.queue.items().empty());
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
        QVERIFY(testsupport::logInToTestServer(server.port()));
        Run run;
        const QByteArray folder = QFile::encodeName(local.path());
        if (down)
            run.queue.AddQueueItem({"/" + name.toUtf8(), {}, folder, QueueItem::Download, false}, false);
        run.queue.AddQueueItem({folder + "/" + name.toUtf8(), {}, "/again", QueueItem::Upload, false}, false);
        QVERIFY(run.go());
        QCOMPARE(readFile(local.path() + "/" + name), text);
        QCOMPARE(readFile(server.root() + "/again/" + name), text);
    }

    // A download stops short and the remote file changes before the next run: the part is
    // appended to only when it is still the beginning of the server's file (same modified time,
    // same bytes before the resume point); the resumed file is then verified whole by the
    // server's checksum. Otherwise the file comes again from its start.
    void changedRemoteFileNeverAppended_data()
    {
        QTest::addColumn<int>("size");      // of the server's file in the second run
        QTest::addColumn<bool>("sameStart"); // its first 300000 bytes are those of the first run
        QTest::addColumn<bool>("sameTime");
        QTest::addColumn<QString>("message");
        QTest::addRow("unchanged, grown: resumed and verified")
            << 600000 << true << true << "/%1: the resumed file was verified whole (SHA-256)\n";
        QTest::addRow("modified, larger")
            << 600000 << false << false
            << "/%1: the server's file was modified after the part was started (then MDTM 20240101000000, now MDTM "
               "20250101000000); nothing is appended\n";
        QTest::addRow("modified, same size")
            << 300000 << false << false
            << "/%1: the server's file (300000 bytes) is not longer than the local part (300000 bytes); nothing is "
               "appended\n";
        QTest::addRow("other bytes, same time, larger")
            << 600000 << false << true
            << "/%1: the last bytes of the part differ from the server's file, which has changed; nothing is "
               "appended\n";
    }
    void changedRemoteFileNeverAppended()
    {
        QFETCH(int, size);
        QFETCH(bool, sameStart);
        QFETCH(bool, sameTime);
        QFETCH(QString, message);
        const QString name = QStringLiteral("grow%1%2%3.bin").arg(size).arg(sameStart).arg(sameTime);
        const QString remote = server.root() + "/" + name;
        const auto stamp = [&remote](int year) {
            QFile file(remote);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC),
                                     QFileDevice::FileModificationTime));
        };
        const QByteArray first = sample(300000, size);
        writeFile(remote, first);
        stamp(2024);
        QTemporaryDir local;
        const QString localPath = local.path() + "/" + name;
        QVERIFY(testsupport::logInToTestServer(server.port()));
        ServerFeatures &features = controller().session().features;
        features.answered = true;
        features.mdtm = true;
        features.xsha256 = true;

        // The first run ends short of the size the queue expects: the part stays, and the item.
        Run run;
        run.views.remotePath = "/";
        run.queue.AddQueueItem({"/" + name.toUtf8(), "600,000", QFile::encodeName(local.path()),
                                QueueItem::Download, false},
                               false);
        QVERIFY(run.go());
        QCOMPARE(readFile(localPath), first);
        QCOMPARE(run.queue.items().size(), 1);

        const QByteArray second = sameStart ? first + sample(size - 300000, 1) : sample(size, size + 1);
        writeFile(remote, second);
        stamp(sameTime ? 2024 : 2025);
        run.answers << ExistingFileAnswer{ExistingFileAnswer::Resume, false};
        run.log.clear();
        QVERIFY(run.go());
        QCOMPARE(readFile(localPath).size(), second.size());
        QVERIFY(readFile(localPath) == second);
        QVERIFY2(run.log.contains(message.arg(name), sameStart ? LogColor::Command : LogColor::Error),
                 qPrintable(message.arg(name)));
        QCOMPARE(run.log.contains(QStringLiteral("Resuming at 300000 bytes\n"), LogColor::Status), sameStart);
        QVERIFY(run.log.contains(QStringLiteral("/%1: verified (SHA-256)\n").arg(name), LogColor::Command));
        QVERIFY(run.queue.items().empty());
    }
};

QTEST_MAIN(TestQueueTransferReal)
#include "tst_queuetransfer_real.moc"
