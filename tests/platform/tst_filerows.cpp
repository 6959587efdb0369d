// The compact row store must give back every row exactly as it was put in: texts, name bytes,
// sort keys and the flags, whatever the texts hold.
#include "platform/datetimetext.h"
#include "platform/filerows.h"

#include <QTest>

namespace
{

void compareRows(const FileRow &got, const FileRow &want)
{
    for (int c = 0; c < FileRow::maxColumns; ++c)
        QCOMPARE(got.texts[size_t(c)], want.texts[size_t(c)]);
    QCOMPARE(got.nameBytes(), want.nameBytes());
    QCOMPARE(got.rawName, want.rawName);
    QCOMPARE(got.itemData, want.itemData);
    QCOMPARE(got.icon, want.icon);
    QCOMPARE(got.numberKeys, want.numberKeys);
    QCOMPARE(got.dateKeys, want.dateKeys);
    for (int c = 0; c < FileRow::keyColumns; ++c)
        if ((want.numberKeys | want.dateKeys) & (1u << c))
            QCOMPARE(got.keys[size_t(c)], want.keys[size_t(c)]);
}

FileRow row(const QString &name, const QString &size, qint64 sizeKey, bool keyed = true)
{
    FileRow r;
    r.texts[0] = name;
    r.texts[1] = size;
    if (keyed)
        r.setNumberKey(1, sizeKey);
    r.setDateText(2, datetimetext::makeKey(QDate(2024, 2, 29), 23, 59));
    r.texts[3] = QStringLiteral("-rw-r--r--");
    r.itemData = FileRow::fileItemData;
    r.icon = 7;
    return r;
}

} // namespace

class TestFileRows : public QObject
{
    Q_OBJECT

private slots:
    void rowsComeBackAsTheyWent_data()
    {
        QTest::addColumn<FileRow>("row");
        const QChar lone[] = {QChar(0xD800), QLatin1Char('x')};
        FileRow raw = row(QStringLiteral("caf\\xE9"), QString(), 0, false);
        raw.rawName = QByteArray("caf\xE9");
        FileRow folder = row(QStringLiteral("한글 폴더"), QString(), 0, false);
        folder.itemData = FileRow::folderItemData;
        FileRow otherDate = row(QStringLiteral("d"), QStringLiteral("1"), 1);
        otherDate.texts[2] = QStringLiteral("not the key's text"); // dateTexts bit cleared below
        otherDate.dateTexts = 0;
        FileRow fifth = row(QStringLiteral("e"), QStringLiteral("5"), 5);
        fifth.texts[4] = QStringLiteral("owner");
        QTest::newRow("grouped size from its key") << row(QStringLiteral("a.txt"), QStringLiteral("1,234,567"), 1234567);
        QTest::newRow("negative and lowest keys")
            << row(QStringLiteral("n"), QStringLiteral("-9,223,372,036,854,775,808"), std::numeric_limits<qint64>::min());
        QTest::newRow("text the key does not give") << row(QStringLiteral("b"), QStringLiteral("1234"), 1234);
        QTest::newRow("huge size held at the limit")
            << row(QStringLiteral("c"), QStringLiteral("99,999,999,999,999,999,999"), std::numeric_limits<qint64>::max());
        QTest::newRow("size without a key") << row(QStringLiteral("k"), QStringLiteral("12"), 0, false);
        QTest::newRow("lone surrogate") << row(QString(lone, 2), QStringLiteral("1"), 1);
        QTest::newRow("raw name bytes") << raw;
        QTest::newRow("folder, no size") << folder;
        QTest::newRow("date text of its own") << otherDate;
        QTest::newRow("fifth column") << fifth;
        QTest::newRow("long name") << row(QString(3 << 20, QLatin1Char('L')), QStringLiteral("1"), 1);
        QTest::newRow("empty row") << FileRow();
    }
    void rowsComeBackAsTheyWent()
    {
        QFETCH(FileRow, row);
        // Alone, and between other rows so that lazily made columns line up.
        FileRows alone{row};
        compareRows(alone.at(0), row);
        FileRows mixed{FileRow(), row, ::row(QStringLiteral("z"), QStringLiteral("9"), 9), row};
        compareRows(mixed.at(1), row);
        compareRows(mixed.at(3), row);
        QCOMPARE(mixed.nameBytes(1), row.nameBytes());
        QCOMPARE(mixed.isFolder(1), row.isFolder());
        for (int c = 0; c < FileRow::maxColumns; ++c)
            QCOMPARE(mixed.text(1, c), row.text(c));
    }

    void changesKeepTheOtherRows()
    {
        std::vector<FileRow> want;
        for (int i = 0; i < 200; ++i)
            want.push_back(row(QStringLiteral("name %1").arg(i), groupedNumberText(i * 1000), i * 1000));
        FileRows rows(want);

        // Texts replaced many times: the buffer is compacted under them.
        for (int round = 0; round < 500; ++round)
            for (size_t i = 0; i < want.size(); i += 3) {
                const QString text = QStringLiteral("renamed %1 %2 ").arg(round).arg(i) + QString(40, QLatin1Char('x'));
                rows.setText(i, 0, text);
                want[i].texts[0] = text;
            }
        rows.setText(5, 1, QStringLiteral("5 KB"));
        want[5].texts[1] = QStringLiteral("5 KB");
        want[5].forgetKeys(1);
        // A key of another kind on a column whose text came from its key leaves the text.
        rows.setDateKey(8, 1, 42);
        want[8].setDateKey(1, 42);

        rows.erase(0);
        want.erase(want.begin());
        std::vector<quint32> reversed(want.size());
        for (size_t i = 0; i < reversed.size(); ++i)
            reversed[i] = quint32(reversed.size() - 1 - i);
        rows.reorder(reversed);
        std::reverse(want.begin(), want.end());

        QCOMPARE(rows.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            compareRows(rows.at(i), want[i]);
        // Two megabytes of names written over 12 KB of live ones: the buffer does not keep them.
        QVERIFY2(rows.memoryBytes() < 512 * 1024, QByteArray::number(qulonglong(rows.memoryBytes())));

        rows.insertColumn(1);
        const FileRow shifted = rows.at(0);
        QCOMPARE(shifted.texts[1], QString());
        QCOMPARE(shifted.texts[2], want[0].texts[1]);
        QCOMPARE(shifted.texts[3], want[0].texts[2]);
        QCOMPARE(shifted.numberKeys | shifted.dateKeys, 0);
    }

    void repeatedTextsAreShared()
    {
        FileRows rows{row(QStringLiteral("a"), QStringLiteral("1"), 1), row(QStringLiteral("b"), QStringLiteral("2"), 2)};
        QVERIFY(rows.sharedTextId(0, 3) != 0);
        QCOMPARE(rows.sharedTextId(0, 3), rows.sharedTextId(1, 3));
        QCOMPARE(rows.sharedTextId(0, 0), 0u);
    }
};

QTEST_GUILESS_MAIN(TestFileRows)
#include "tst_filerows.moc"
