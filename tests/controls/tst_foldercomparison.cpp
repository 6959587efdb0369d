#include "guitest.h"

#include "controls/foldercomparison.h"
#include "controls/listcomparison.h"
#include "controls/rowmarkdelegate.h"
#include "controls/sortlistctrl.h"
#include "platform/contrast.h"
#include "platform/datetimetext.h"

#include <QElapsedTimer>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>

#include <thread>

namespace
{

// "name|size|yyyy-MM-dd hh:mm" for a file ("" size: a folder; a date without time: a date-only
// listing line); a name with " -> " and attribute l for a link.
FileRow makeRow(const QString &fields)
{
    const QStringList parts = fields.split(QLatin1Char('|'));
    FileRow row;
    row.texts[0] = parts.value(0);
    const bool folder = parts.value(1).isEmpty();
    row.itemData = folder ? FileRow::folderItemData : FileRow::fileItemData;
    if (!folder) {
        row.texts[1] = parts.value(1);
        row.setNumberKey(1, sortNumberValue(parts.value(1)));
    }
    const QString when = parts.value(2);
    if (!when.isEmpty()) {
        const QDateTime time = QDateTime::fromString(when, when.size() > 10 ? "yyyy-MM-dd hh:mm" : "yyyy-MM-dd");
        row.setDateText(2, datetimetext::makeKey(time.date(), time.time().hour(), time.time().minute()));
    }
    if (row.texts[0].contains(QLatin1String(" -> ")))
        row.texts[3] = QStringLiteral("lrwxrwxrwx");
    return row;
}

QString markName(RowMark mark)
{
    switch (mark) {
    case RowMark::Same:
        return QStringLiteral("same");
    case RowMark::OnlyHere:
        return QStringLiteral("only");
    case RowMark::SizeDiffers:
        return QStringLiteral("size");
    case RowMark::Newer:
        return QStringLiteral("newer");
    case RowMark::Older:
        return QStringLiteral("older");
    }
    return {};
}

FileRows numberedRows(int count, int sizeOffset)
{
    FileRows rows;
    rows.reserve(size_t(count));
    FileRow row = makeRow(QStringLiteral("x|100|2024-05-01 10:00"));
    for (int i = 0; i < count; ++i) {
        row.texts[0] = QStringLiteral("file_%1.bin").arg(i);
        row.setNumberKey(1, i % 7 ? 100 : 100 + sizeOffset);
        rows.push_back(row);
    }
    return rows;
}

} // namespace

class TestFolderComparison : public QObject
{
    Q_OBJECT
private slots:
    // One row on each side (or on one only); the marks each side gets.
    void marksOfAPair_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("leftMark");
        QTest::addColumn<QString>("rightMark");
        QTest::newRow("same size and minute") << "a.txt|1,024|2024-05-01 10:00" << "a.txt|1,024|2024-05-01 10:00"
                                              << "same" << "same";
        QTest::newRow("left only") << "a.txt|5|2024-05-01 10:00" << "b.txt|5|2024-05-01 10:00" << "only"
                                   << "only";
        QTest::newRow("size differs, time too") << "a.txt|1,024|2024-05-01 10:00"
                                                << "a.txt|1,025|2023-01-01 10:00" << "size" << "size";
        QTest::newRow("left newer by a minute") << "a.txt|5|2024-05-01 10:01" << "a.txt|5|2024-05-01 10:00"
                                                << "newer" << "older";
        QTest::newRow("right newer by a day") << "a.txt|5|2024-05-01 10:00" << "a.txt|5|2024-05-02 10:00"
                                              << "older" << "newer";
        QTest::newRow("date alone, same day") << "a.txt|5|2024-05-01 17:45" << "a.txt|5|2024-05-01" << "same"
                                              << "same";
        QTest::newRow("date alone, later day") << "a.txt|5|2024-05-01 17:45" << "a.txt|5|2024-05-03" << "older"
                                               << "newer";
        QTest::newRow("no time known") << "a.txt|5|" << "a.txt|5|2024-05-03 10:00" << "same" << "same";
        QTest::newRow("folders by presence") << "pub||2020-01-01 00:01" << "pub||2024-05-03 10:00" << "same"
                                             << "same";
        QTest::newRow("folder beside a file") << "pub||2024-05-01 10:00" << "pub|5|2024-05-01 10:00" << "only"
                                              << "only";
        QTest::newRow("link by its own name") << "docs||2024-05-01 10:00" << "docs -> /srv/docs||2024-05-01"
                                              << "same" << "same";
        QTest::newRow("names differ in case") << "A.txt|5|2024-05-01 10:00" << "a.txt|5|2024-05-01 10:00"
                                              << "only" << "only";
        QTest::newRow("sizes above 4 GB") << "iso|5,000,000,000|2024-05-01 10:00"
                                          << "iso|705,032,704|2024-05-01 10:00" << "size" << "size";
    }
    void marksOfAPair()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, leftMark);
        QFETCH(QString, rightMark);
        const std::optional<ComparedFolders> marks =
            compareFolderRows(FileRows{makeRow(left)}, FileRows{makeRow(right)});
        QVERIFY(marks);
        QCOMPARE(markName(marks->left.at(0)), leftMark);
        QCOMPARE(markName(marks->right.at(0)), rightMark);
    }

    // Marks follow the stored rows, whatever order each side holds them in; a side may be empty.
    void marksAreByStoredRow()
    {
        const FileRows left{makeRow("c|3|"), makeRow("a|1|"), makeRow("b|2|")};
        const FileRows right{makeRow("b|9|"), makeRow("z|1|"), makeRow("c|3|")};
        const std::optional<ComparedFolders> marks = compareFolderRows(left, right);
        QVERIFY(marks);
        QCOMPARE(marks->left, (std::vector<RowMark>{RowMark::Same, RowMark::OnlyHere, RowMark::SizeDiffers}));
        QCOMPARE(marks->right, (std::vector<RowMark>{RowMark::SizeDiffers, RowMark::OnlyHere, RowMark::Same}));
        const std::optional<ComparedFolders> alone = compareFolderRows(left, FileRows{});
        QVERIFY(alone && alone->right.empty());
        QCOMPARE(alone->left, std::vector<RowMark>(3, RowMark::OnlyHere));
    }

    // A cancelled comparison gives nothing, and soon.
    void cancelStopsALargeComparison()
    {
        const FileRows rows = numberedRows(200'000, 1);
        std::atomic<bool> cancelled{true};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!compareFolderRows(rows, rows, &cancelled));
        QVERIFY(clock.elapsed() < 1000);
    }

    // Rows replaced while a comparison of many rows runs: the running one stops (it reads the
    // rows in place), and the marks shown are those of the new rows.
    void rowsReplacedWhileComparing()
    {
        CSortListCtrl local;
        CSortListCtrl remote;
        for (CSortListCtrl *list : {&local, &remote})
            list->InsertFileColumns();
        local.setRows(numberedRows(100'000, 0));
        remote.setRows(numberedRows(100'000, 1));
        ListComparison comparison(&local, &remote);
        QSignalSpy compared(&comparison, &ListComparison::compared);
        comparison.setEnabled(true);
        QVERIFY(comparison.pending());
        remote.setRows(FileRows{makeRow("file_0.bin|100|2024-05-01 10:00")});
        QTRY_VERIFY_WITH_TIMEOUT(!comparison.pending(), 60000);
        QCOMPARE(compared.count(), 1);
        QCOMPARE(comparison.markOf(&remote, 0), RowMark::Same);
    }

    // The tint keeps the list's text readable on a light and on a dark theme.
    void tintKeepsTextReadable_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("highlight");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black) << QColor(48, 140, 198);
        QTest::newRow("dark") << QColor(30, 30, 30) << QColor(230, 230, 230) << QColor(42, 130, 218);
        QTest::newRow("dark, pale accent") << QColor(20, 20, 20) << QColor(200, 200, 200) << QColor(Qt::white);
    }
    void tintKeepsTextReadable()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        QFETCH(QColor, highlight);
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Highlight, highlight);
        const QColor tint = RowMarkDelegate::tint(palette);
        QVERIFY(contrastRatio(text, tint) >= 4.5);
        QVERIFY(tint != base);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestFolderComparison)
#include "tst_foldercomparison.moc"
