#include "session/queuefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace
{

QueueItem item(const QByteArray &name, const QByteArray &size, const QByteArray &destination,
               QueueItem::Direction direction = QueueItem::Download, bool folder = false)
{
    QueueItem i;
    i.name = name;
    i.sizeText = size;
    i.destination = destination;
    i.direction = direction;
    i.isFolder = folder;
    return i;
}

QByteArray record(const QByteArray &name, const QByteArray &size, const QByteArray &destination,
                  quint32 direction, quint32 folder)
{
    QByteArray r(queuefile::recordSize, '\0');
    std::memcpy(r.data(), name.constData(), size_t(name.size()));
    std::memcpy(r.data() + queuefile::sizeOffset, size.constData(), size_t(size.size()));
    std::memcpy(r.data() + queuefile::destinationOffset, destination.constData(), size_t(destination.size()));
    for (int i = 0; i < 4; ++i) {
        r[queuefile::directionOffset + i] = char((direction >> (8 * i)) & 0xFF);
        r[queuefile::folderOffset + i] = char((folder >> (8 * i)) & 0xFF);
    }
    return r;
}

QByteArray header(quint32 count, const QByteArray &magic = QByteArray("QUEUEDAT010\0", 12))
{
    QByteArray h = magic.left(12).leftJustified(12, '\0');
    for (int i = 0; i < 4; ++i)
        h += char((count >> (8 * i)) & 0xFF);
    return h;
}

queuefile::Decoded decodeBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return queuefile::decode(buffer);
}

std::vector<QueueItem> numbered(int count, const QByteArray &prefix)
{
    std::vector<QueueItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back(
            item(prefix + QByteArray::number(i), QByteArray::number(i * 1000), "/dest/" + prefix));
    return items;
}

// The child of crashSafeSave: saves two different queues in turn until it is killed.
int saveForever(const QString &folder)
{
    const std::vector<QueueItem> queues[2] = {numbered(3000, "first-"), numbered(5000, "second-")};
    for (unsigned round = 0;; ++round) {
        (void)queuefile::save(QStringLiteral("QUEUE.Q"), queues[round % 2], queuefile::Backup::Keep, folder);
        std::printf("saved\n");
        std::fflush(stdout);
    }
}

} // namespace

class TestQueueFile : public QObject
{
    Q_OBJECT
private slots:
    // The layout as other programs' files have it, written down here in numbers of its own: the
    // header of 16 bytes, records of 544, the name at 0, the size at 260, the destination at
    // 272, the direction word at 532 and the folder word at 536, little-endian.
    void layoutAgainstFixedBytes()
    {
        const auto put = [](QByteArray &bytes, int at, const QByteArray &text) {
            for (int i = 0; i < text.size(); ++i)
                bytes[at + i] = text[i];
        };
        QByteArray made(16 + 2 * 544, '\0');
        put(made, 0, "QUEUEDAT010");
        made[12] = 2;
        put(made, 16 + 0, "/pub/a.txt");
        put(made, 16 + 260, "1,234");
        put(made, 16 + 272, "/home/d");
        made[16 + 532] = 1;
        put(made, 16 + 544 + 0, "/home/up");
        put(made, 16 + 544 + 272, "/in");
        made[16 + 544 + 536] = 1;

        const queuefile::Decoded decoded = decodeBytes(made);
        QVERIFY(decoded.complete());
        QCOMPARE(decoded.items.size(), size_t(2));
        const QueueItem &first = decoded.items[0];
        QCOMPARE(first.name, QByteArray("/pub/a.txt"));
        QCOMPARE(first.sizeText, QByteArray("1,234"));
        QCOMPARE(first.destination, QByteArray("/home/d"));
        QCOMPARE(first.direction, QueueItem::Download);
        QVERIFY(!first.isFolder);
        const QueueItem &second = decoded.items[1];
        QCOMPARE(second.name, QByteArray("/home/up"));
        QCOMPARE(second.sizeText, QByteArray());
        QCOMPARE(second.destination, QByteArray("/in"));
        QCOMPARE(second.direction, QueueItem::Upload);
        QVERIFY(second.isFolder);

        // What the program writes is those bytes, byte for byte.
        const std::vector<QueueItem> items{item("/pub/a.txt", "1,234", "/home/d"),
                                           item("/home/up", "", "/in", QueueItem::Upload, true)};
        QCOMPARE(queuefile::encode(items).toHex(), made.toHex());
        QTemporaryDir dir;
        const QString written = dir.filePath(QStringLiteral("mine.q"));
        QCOMPARE(queuefile::save(written, items, queuefile::Backup::Keep, QString()).status,
                 queuefile::SaveStatus::Saved);
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toHex(), made.toHex());
    }

    void roundTrip_data()
    {
        QTest::addColumn<std::vector<QueueItem>>("items");
        QTest::addColumn<std::vector<QueueItem>>("expected");
        const auto download = item("/pub/a.zip", "1,234", "/home/ann/Down");
        const auto folder = item("/home/ann/site", "", "/www", QueueItem::Upload, true);
        QTest::newRow("download and upload folder")
            << std::vector{download, folder} << std::vector{download, folder};
        // 13 characters: written without separators, the digits kept.
        QTest::newRow("size over the field") << std::vector{item("/big.iso", "1,234,567,890", "/d")}
                                             << std::vector{item("/big.iso", "1234567890", "/d")};
        QTest::newRow("twelve digits fill the field") << std::vector{item("/huge", "999,999,999,999", "/d")}
                                                      << std::vector{item("/huge", "999999999999", "/d")};
        // A text of exactly the field's width, as another file may hold it, keeps its bytes.
        QTest::newRow("twelve characters fill the field as they are")
            << std::vector{item("/odd", "12,3456,7890", "/d"), item("/commas", ",,,,,,,,,,,,", "/d")}
            << std::vector{item("/odd", "12,3456,7890", "/d"), item("/commas", ",,,,,,,,,,,,", "/d")};
        QTest::newRow("too large for the field: no size rather than a wrong one")
            << std::vector{item("/vast", "1,000,000,000,000", "/d")} << std::vector{item("/vast", "", "/d")};
        QTest::newRow("names that are not UTF-8 stay bytes")
            << std::vector{item("/pub/\xc7\xd1\xb1\xdb.txt", "1", "/home/\xff")}
            << std::vector{item("/pub/\xc7\xd1\xb1\xdb.txt", "1", "/home/\xff")};
        QTest::newRow("longest path") << std::vector{item(QByteArray(259, 'n'), "7", QByteArray(259, 'd'))}
                                      << std::vector{item(QByteArray(259, 'n'), "7", QByteArray(259, 'd'))};
        QTest::newRow("case-different names are two items")
            << std::vector{item("a/File", "1", "/d"), item("a/file", "2", "/d")}
            << std::vector{item("a/File", "1", "/d"), item("a/file", "2", "/d")};
    }

    void roundTrip()
    {
        QFETCH(std::vector<QueueItem>, items);
        QFETCH(std::vector<QueueItem>, expected);
        const QByteArray bytes = queuefile::encode(items);
        QCOMPARE(bytes.size(), queuefile::headerSize + queuefile::recordSize * qsizetype(items.size()));
        QVERIFY(bytes.startsWith(QByteArray("QUEUEDAT010\0", 12)));
        const queuefile::Decoded decoded = decodeBytes(bytes);
        QVERIFY(decoded.complete());
        QVERIFY(decoded.items == expected);
        // What was read writes back byte for byte.
        QCOMPARE(queuefile::encode(decoded.items), bytes);
    }

    void sizeValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("grouped over 32 bits") << QByteArray("5,000,000,000") << Q_INT64_C(5000000000);
        QTest::newRow("as the field keeps it") << QByteArray("1234567890") << Q_INT64_C(1234567890);
        QTest::newRow("empty") << QByteArray() << Q_INT64_C(0);
        QTest::newRow("leading digits only") << QByteArray("12ab") << Q_INT64_C(12);
        QTest::newRow("no digits") << QByteArray("abc") << Q_INT64_C(0);
    }

    void sizeValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, value);
        QCOMPARE(QueueItem::sizeValue(text), value);
    }

    void readsWhatIsThere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("headerComplete");
        QTest::addColumn<QByteArrayList>("names");
        const QByteArray a = record("/a", "1", "/d", 1, 0);
        const QByteArray b = record("/b", "2", "/d", 0, 0);
        QTest::newRow("empty file") << QByteArray() << false << QByteArrayList{};
        QTest::newRow("cut inside the header") << header(1).left(9) << false << QByteArrayList{};
        QTest::newRow("count 5, three records")
            << header(5) + a + b + a << true << QByteArrayList{"/a", "/b", "/a"};
        QTest::newRow("cut inside a record") << header(2) + a + b.left(300) << true << QByteArrayList{"/a"};
        QTest::newRow("count of four billion")
            << header(0xFFFFFFFFu) + a + b << true << QByteArrayList{"/a", "/b"};
        QTest::newRow("magic not checked") << header(1, "SOMETHING") + b << true << QByteArrayList{"/b"};
        QTest::newRow("not a queue file")
            << QByteArray(700, 'x') << true << QByteArrayList{QByteArray(260, 'x')};
        QTest::newRow("field without terminator") << header(1) + record(QByteArray(260, 'n'), "", "/d", 1, 0)
                                                  << true << QByteArrayList{QByteArray(260, 'n')};
    }

    void readsWhatIsThere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, headerComplete);
        QFETCH(QByteArrayList, names);
        const queuefile::Decoded decoded = decodeBytes(bytes);
        QCOMPARE(decoded.headerComplete, headerComplete);
        QByteArrayList read;
        for (const QueueItem &i : decoded.items)
            read << i.name;
        QCOMPARE(read, names);
        // Nothing read can fail to write back.
        QCOMPARE(decodeBytes(queuefile::encode(decoded.items)).items.size(), decoded.items.size());
    }

    void recordFields()
    {
        // Any non-zero direction or folder value counts as set; a folder's size is not read.
        const queuefile::Decoded decoded =
            decodeBytes(header(2) + record("/f", "123", "/d", 7, 0x100) + record("/u", "4,096", "/r", 0, 0));
        QCOMPARE(decoded.items.size(), size_t(2));
        QCOMPARE(decoded.items[0].itemParameter(), 241);
        QVERIFY(decoded.items[0].sizeText.isEmpty());
        QCOMPARE(decoded.items[1].itemParameter(), 0);
        QCOMPARE(decoded.items[1].size(), qint64(4096));
    }

    void saveRotatesAndRemoves()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const auto first = numbered(2, "one-");
        const auto second = numbered(3, "two-");
        const QString name = QStringLiteral("QUEUE.Q");
        QCOMPARE(queuefile::save(name, first, queuefile::Backup::Rotate, folder).status,
                 queuefile::SaveStatus::Saved);
        QVERIFY(!QFile::exists(folder + "QUEUE.BAK"));
        QCOMPARE(queuefile::save(name, second, queuefile::Backup::Rotate, folder).status,
                 queuefile::SaveStatus::Saved);
        QVERIFY(queuefile::load(QStringLiteral("QUEUE.BAK"), folder).decoded.items == first);
        QVERIFY(queuefile::load(name, folder).decoded.items == second);
        // Saving without rotation leaves the backup alone.
        QCOMPARE(queuefile::save(name, first, queuefile::Backup::Keep, folder).status,
                 queuefile::SaveStatus::Saved);
        QVERIFY(queuefile::load(QStringLiteral("QUEUE.BAK"), folder).decoded.items == first);
        // An empty queue removes QUEUE.Q and keeps the backup; no temporary file is left.
        QCOMPARE(queuefile::save(name, {}, queuefile::Backup::Rotate, folder).status,
                 queuefile::SaveStatus::NothingToSave);
        QVERIFY(!QFile::exists(folder + name));
        QVERIFY(QFile::exists(folder + "QUEUE.BAK"));
        QVERIFY(!QFile::exists(folder + "QUEUE$.Q"));
        // A chosen file with an empty queue: nothing written.
        const QString chosen = dir.filePath(QStringLiteral("mine.q"));
        QCOMPARE(queuefile::save(chosen, {}, queuefile::Backup::Rotate, folder).status,
                 queuefile::SaveStatus::NothingToSave);
        QVERIFY(!QFile::exists(chosen));
        QCOMPARE(queuefile::save(chosen, second, queuefile::Backup::Rotate, folder).status,
                 queuefile::SaveStatus::Saved);
        QVERIFY(queuefile::load(chosen, folder).decoded.items == second);
        QCOMPARE(queuefile::save(dir.filePath(QStringLiteral("missing/x.q")), second, queuefile::Backup::Keep,
                                 folder)
                     .status,
                 queuefile::SaveStatus::CannotCreate);
    }

    // A process killed while it saves leaves a QUEUE.Q that is one of the queues it saved, whole.
    void crashSafeSave()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const auto first = numbered(3000, "first-");
        const auto second = numbered(5000, "second-");
        for (int round = 0; round < 6; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-forever"), folder});
            QVERIFY(child.waitForStarted());
            // Killed after a few saves, at some point of the next one.
            const int savesBeforeKill = 2 + round;
            int saves = 0;
            while (saves < savesBeforeKill) {
                QVERIFY(child.waitForReadyRead(30000));
                while (child.canReadLine())
                    saves += child.readLine() == "saved\n" ? 1 : 0;
            }
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            const queuefile::LoadResult loaded = queuefile::load(QStringLiteral("QUEUE.Q"), folder);
            QVERIFY(loaded.opened);
            QVERIFY2(loaded.decoded.complete(), qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(loaded.decoded.items == first || loaded.decoded.items == second);
        }
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--save-forever") == 0)
        return saveForever(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestQueueFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queuefile.moc"
