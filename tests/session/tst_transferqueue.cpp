// The transfer queue without any window: the duplicate rule, the head operations the transfer job
// uses, the files it reads and writes, and the autosave.
#include "sessionreset.h"

#include "session/queuefile.h"
#include "session/transferqueue.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

using testsupport::LogRecorder;

namespace
{

QueueItem download(const QByteArray &name, const QByteArray &size = "1")
{
    return {name, size, "/home/ann/Down", QueueItem::Download, false};
}

QByteArray names(const TransferQueue &queue)
{
    QByteArray joined;
    for (const QueueItem &item : queue.items())
        joined += item.name;
    return joined;
}

void fill(TransferQueue &queue, const QByteArrayList &rows)
{
    for (const QByteArray &name : rows)
        QCOMPARE(queue.AddQueueItem(download(name), false), QueueView::AddResult::Added);
}

} // namespace

class TestTransferQueue : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TransferQueue> queue_;

    QString folder() const { return dir_->path() + QLatin1Char('/'); }
    QString file(const char *name) const { return folder() + QLatin1String(name); }
    TransferQueue &queue() { return *queue_; }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        queue_ = std::make_unique<TransferQueue>(folder());
    }
    void cleanup()
    {
        queue_.reset();
        dir_.reset();
    }

    void duplicatesAndLongPaths()
    {
        LogRecorder log;
        fill(queue(), {"a/File"});
        // Paths are case-sensitive: another letter case is another file.
        QCOMPARE(queue().AddQueueItem(download("a/file"), false), QueueView::AddResult::Added);
        QCOMPARE(queue().AddQueueItem(download("a/File"), true), QueueView::AddResult::Duplicate);
        const QByteArray tooLong = "/" + QByteArray(259, 'x');
        QCOMPARE(queue().AddQueueItem(download(tooLong), false), QueueView::AddResult::TooLong);
        QCOMPARE(names(queue()), QByteArray("a/Filea/file"));
        QVERIFY(log.waitFor(QStringLiteral("Not queued: the path is longer than 259 bytes: %1\n")
                                .arg(QString::fromLatin1(tooLong)),
                            LogColor::Error));
        // A whole batch at the head keeps its order; folders lose any size text.
        QueueItem folder = download("/pub", "12");
        folder.isFolder = true;
        QCOMPARE(queue().AddQueueItems({download("h1"), folder, download("a/file")}, true), 2);
        QCOMPARE(names(queue()), QByteArray("h1/puba/Filea/file"));
        QVERIFY(queue().items().at(1).sizeText.isEmpty());
        QCOMPARE(queue().items().at(1).itemParameter(), 241);
    }

    void headOperations()
    {
        QVERIFY(!queue().PeekQueueHead());
        QVERIFY(!queue().PopQueueHead());
        fill(queue(), {"A", "B", "C"});
        QCOMPARE(queue().PeekQueueHead()->name, QByteArray("A"));
        QCOMPARE(queue().PopQueueHead()->name, QByteArray("B"));
        // The item that was transferred leaves, wherever the user moved it meanwhile.
        QVERIFY(queue().reorderRows({1, 0}));
        QVERIFY(queue().RemoveQueueItem(download("B")));
        QCOMPARE(names(queue()), QByteArray("C"));
        // A failed item waits at the end; a folder gives way to its entries in one step.
        fill(queue(), {"D", "E"});
        queue().moveToEnd(download("C"));
        QCOMPARE(names(queue()), QByteArray("DEC"));
        queue().replaceItem(download("E"), {download("e1"), download("D"), download("e2")});
        QCOMPARE(names(queue()), QByteArray("e1e2DC"));
        QVERIFY(!queue().RemoveQueueItem(download("E")));
    }

    // The announcements rebuild the queue exactly, in the order the changes were made, whichever
    // thread made them; an edit by rows is refused while the view has not caught up.
    void announcementsFollowTheChanges()
    {
        std::vector<QueueItem> mirror;
        connect(&queue(), &TransferQueue::itemsInserted, this,
                [&](int at, const std::vector<QueueItem> &items) { mirror.insert(mirror.begin() + at, items.begin(), items.end()); });
        connect(&queue(), &TransferQueue::itemsRemoved, this,
                [&](int first, int count) { mirror.erase(mirror.begin() + first, mirror.begin() + first + count); });
        connect(&queue(), &TransferQueue::itemsReordered, this, [&](const std::vector<int> &order) {
            std::vector<QueueItem> moved;
            for (const int from : order)
                moved.push_back(mirror[size_t(from)]);
            mirror = moved;
        });
        connect(&queue(), &TransferQueue::itemsReset, this,
                [&](const std::vector<QueueItem> &items) { mirror = items; });
        fill(queue(), {"A", "B", "C"});
        QCOMPARE(mirror, queue().items());
        std::thread worker([this] {
            (void)queue().PopQueueHead();
            queue().moveToEnd(download("B"));
            queue().replaceItem(download("C"), {download("c1"), download("c2")});
        });
        worker.join();
        QVERIFY(!queue().reorderRows({1, 0, 2}));
        QVERIFY(!queue().removeRows({0}));
        QTRY_COMPARE(mirror, queue().items());
        QCOMPARE(names(queue()), QByteArray("c1c2B"));
        QVERIFY(queue().reorderRows({2, 0, 1}));
        QVERIFY(queue().removeRows({1}));
        queue().clear();
        QVERIFY(mirror.empty());
    }

    // The queue is on disk shortly after each change, and the backup rotates when the queue goes.
    void autosaveAndExit()
    {
        const std::vector<QueueItem> previous{download("P")};
        QCOMPARE(queuefile::save(file("QUEUE.Q"), previous, queuefile::Backup::Keep, QString()).status,
                 queuefile::SaveStatus::Saved);
        queue().startAutosave();
        QCOMPARE(names(queue()), QByteArray("P"));
        queue().clear();
        fill(queue(), {"A", "B"});
        QTRY_VERIFY_WITH_TIMEOUT(queuefile::load(file("QUEUE.Q"), QString()).decoded.items.size() == 2, 10000);
        queue().clear();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(file("QUEUE.Q")), 10000);
        fill(queue(), {"C"});
        queue().flushAutosave();
        QCOMPARE(queuefile::load(file("QUEUE.Q"), QString()).decoded.items.size(), size_t(1));
        fill(queue(), {"D"});
        queue_.reset();
        QCOMPARE(queuefile::load(file("QUEUE.Q"), QString()).decoded.items.size(), size_t(2));
        // The backup is the queue the run began with, not one of the saves in between.
        QVERIFY(queuefile::load(file("QUEUE.BAK"), QString()).decoded.items == previous);
        QVERIFY(!QFile::exists(file("QUEUE$.Q")));
        // The next run starts with that queue; a queue that never started its autosave writes nothing.
        queue_ = std::make_unique<TransferQueue>(folder());
        queue().startAutosave();
        QCOMPARE(names(queue()), QByteArray("CD"));
        queue_ = std::make_unique<TransferQueue>(folder());
        fill(queue(), {"X"});
        queue_.reset();
        QCOMPARE(queuefile::load(file("QUEUE.Q"), QString()).decoded.items.size(), size_t(2));
    }

    // A save whose writing fails leaves the previous file as it was and no temporary file.
    void failedWriteLeavesNoTemporary()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        QCOMPARE(queuefile::save(file("QUEUE.Q"), {download("P")}, queuefile::Backup::Keep, QString()).status,
                 queuefile::SaveStatus::Saved);
        const QByteArray before = [this] {
            QFile in(file("QUEUE.Q"));
            return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        }();
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), file("QUEUE$.Q")));
        fill(queue(), {"A", "B"});
        LogRecorder log;
        const queuefile::SaveResult result = queue().SaveQueueFile(QStringLiteral("QUEUE.Q"));
        QCOMPARE(result.status, queuefile::SaveStatus::CannotWrite);
        QVERIFY(!QFileInfo(file("QUEUE$.Q")).exists() && !QFileInfo(file("QUEUE$.Q")).isSymLink());
        QFile after(file("QUEUE.Q"));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QVERIFY(log.waitFor(QStringLiteral("Cannot save the queue to %1: %2\n").arg(file("QUEUE.Q"), result.error),
                            LogColor::Error));
    }

    void loadResults_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "missing": no file at all
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("order");
        QTest::addColumn<QString>("logged");
        const QByteArray whole = queuefile::encode({download("A"), download("B"), download("C")});
        QByteArray claimsFive = whole;
        claimsFive[12] = 5;
        QTest::newRow("whole file") << whole << true << QByteArray("ABC") << QString();
        QTest::newRow("count 5, three records")
            << claimsFive << false << QByteArray("ABC")
            << QStringLiteral("The queue file %1 ends inside a record; 3 of 5 items were read.\n");
        QTest::newRow("cut in the header: queue kept")
            << whole.left(10) << false << QByteArray("XY") << QStringLiteral("%1 is not a queue file.\n");
        QTest::newRow("missing: queue kept") << QByteArray("missing") << false << QByteArray("XY") << QString();
        // A line break anywhere in a path would become a command of its own.
        QTest::newRow("line break in the folder part")
            << queuefile::encode({download("A"), download("/x\r\nDELE precious\r\nNOOP/f.txt"), download("C")})
            << false << QByteArray("AC")
            << QStringLiteral("Refused /x\\r\\nDELE precious\\r\\nNOOP/f.txt: its path holds a line break\n");
        QueueItem badDestination = download("B");
        badDestination.destination = "/home/ann\n/Down";
        QTest::newRow("line break in the destination")
            << queuefile::encode({download("A"), badDestination}) << false << QByteArray("A")
            << QStringLiteral("Refused /home/ann\\n/Down: its path holds a line break\n");
    }
    void loadResults()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, result);
        QFETCH(QByteArray, order);
        QFETCH(QString, logged);
        const QString path = file("in.q");
        if (bytes != "missing") {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        fill(queue(), {"X", "Y"});
        LogRecorder log;
        QCOMPARE(queue().LoadQueueFile(path), result);
        QCOMPARE(names(queue()), order);
        if (!logged.isEmpty())
            QVERIFY2(log.waitFor(logged.contains("%1") ? logged.arg(path) : logged, LogColor::Error),
                     qPrintable(log.texts(LogColor::Error).join('|')));
    }
};

QTEST_GUILESS_MAIN(TestTransferQueue)
#include "tst_transferqueue.moc"
