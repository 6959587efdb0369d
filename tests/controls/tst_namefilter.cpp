#include "controls/sortlistctrl.h"

#include <QElapsedTimer>
#include <QTest>

#include <QSet>

#include <algorithm>
#include <memory>

namespace
{

SortListRow makeRow(const QString &name, bool folder = false)
{
    SortListRow row;
    row.texts = {name, folder ? QString() : QStringLiteral("1"), QString(), QString()};
    row.itemData = folder ? 0xF2 : 2;
    return row;
}

// Folders first, then files, each as given: the order the list shows before any sort.
const QStringList rowNames{
    QStringLiteral(".."),
    QStringLiteral("Photos"),
    QStringLiteral("docs"),
    QStringLiteral("Report.TXT"),
    QStringLiteral("report-2024.txt"),
    QStringLiteral("notes.txt.bak"),
    QStringLiteral("a*b?.txt"),
    QStringLiteral("[x].log"),
    QStringLiteral("\u00c4rger.PDF"),
    QStringLiteral("line\\x0abreak"),
    QString(300, QLatin1Char('a')) + QStringLiteral(".iso"),
};

std::unique_ptr<CSortListCtrl> makeList()
{
    auto list = std::make_unique<CSortListCtrl>();
    list->InsertFileColumns();
    list->resize(400, 300);
    FileRows rows;
    for (const QString &name : rowNames)
        rows.push_back(makeRow(name, name == QLatin1String("..") || name == QLatin1String("Photos") ||
                                         name == QLatin1String("docs")));
    list->listModel()->setRows(std::move(rows));
    return list;
}

QStringList shownNames(const CSortListCtrl &list)
{
    QStringList names;
    for (int row = 0; row < list.listModel()->rowCount(); ++row)
        if (!list.isRowHidden(row, {}))
            names << list.listModel()->text(row, 0);
    return names;
}

} // namespace

class TestNameFilter : public QObject
{
    Q_OBJECT
private slots:
    void keepsMatchingNames_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        const QString iso = QString(300, QLatin1Char('a')) + QStringLiteral(".iso");
        QTest::newRow("empty") << QString() << rowNames;
        QTest::newRow("text anywhere, any case")
            << QStringLiteral("REPORT") << QStringList{"..", "Report.TXT", "report-2024.txt"};
        QTest::newRow("text is not a pattern")
            << QStringLiteral(".txt") << QStringList{"..", "Report.TXT", "report-2024.txt", "notes.txt.bak", "a*b?.txt"};
        QTest::newRow("star matches the whole name")
            << QStringLiteral("*.txt") << QStringList{"..", "Report.TXT", "report-2024.txt", "a*b?.txt"};
        QTest::newRow("question mark is one character")
            << QStringLiteral("do?s") << QStringList{"..", "docs"};
        QTest::newRow("brackets are plain characters") << QStringLiteral("[x]*") << QStringList{"..", "[x].log"};
        QTest::newRow("regular expression characters are plain")
            << QStringLiteral("(.*)") << QStringList{".."};
        QTest::newRow("folded case beyond ASCII") << QStringLiteral("\u00e4rger*") << QStringList{"..", "\u00c4rger.PDF"};
        QTest::newRow("escaped control shown as typed") << QStringLiteral("\\x0a") << QStringList{"..", "line\\x0abreak"};
        QTest::newRow("many stars") << QStringLiteral("***a*******o") << QStringList{"..", iso};
        QTest::newRow("nothing matches") << QStringLiteral("zzz") << QStringList{".."};
        QTest::newRow("star alone") << QStringLiteral("*") << rowNames;
    }
    void keepsMatchingNames()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        auto list = makeList();
        list->setNameFilter(filter);
        QCOMPARE(shownNames(*list), shown);
        // A view over the rows: every row is still there.
        QCOMPARE(list->listModel()->size(), rowNames.size());
        list->setNameFilter(QString());
        QCOMPARE(shownNames(*list), rowNames);
    }

    void hostileFiltersStayQuick_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("10,000 characters") << QString(10'000, QLatin1Char('a'));
        QTest::newRow("every wildcard") << QStringLiteral("*?").repeated(5'000);
        QTest::newRow("stars between letters") << QStringLiteral("a*").repeated(5'000) + QLatin1Char('b');
    }
    void hostileFiltersStayQuick()
    {
        QFETCH(QString, filter);
        auto list = std::make_unique<CSortListCtrl>();
        list->InsertFileColumns();
        FileRows rows;
        for (int i = 0; i < 200; ++i)
            rows.push_back(makeRow(QString(2'000 + i, QLatin1Char('a'))));
        list->listModel()->setRows(std::move(rows));
        QElapsedTimer clock;
        clock.start();
        list->setNameFilter(filter);
        QVERIFY2(clock.elapsed() < 3'000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(list->nameFilter().text().size() <= NameFilter::maxLength);
        QCOMPARE(list->listModel()->size(), 200);
    }

    void hiddenRowsAreNeverSelected()
    {
        auto list = makeList();
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        list->selectAll();
        list->setNameFilter(QStringLiteral("*.txt"));
        // Rows selected before the filter hid them are not acted on.
        QCOMPARE(list->namesOf(list->selectedRows()), (QStringList{"..", "Report.TXT", "report-2024.txt", "a*b?.txt"}));
        list->clearSelection();
        list->selectAll();
        QCOMPARE(list->namesOf(list->selectedRows()), (QStringList{"..", "Report.TXT", "report-2024.txt", "a*b?.txt"}));
    }

    void filterOutlivesSortAndRefill()
    {
        auto list = makeList();
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        list->setNameFilter(QStringLiteral("report"));
        // A sort on the list's own thread and one in the background keep the same rows shown.
        const QStringList kept{"..", "Report.TXT", "report-2024.txt"};
        list->SortByColumn(0);
        QStringList first = shownNames(*list);
        QCOMPARE(QSet<QString>(first.begin(), first.end()), QSet<QString>(kept.begin(), kept.end()));
        list->listModel()->setBackgroundSortRows(0);
        list->SortByColumn(0);
        QTRY_VERIFY(!list->listModel()->sortPending());
        std::reverse(first.begin() + 1, first.end());
        QCOMPARE(shownNames(*list), first);

        FileRows rows;
        rows.push_back(makeRow(QStringLiteral("old report.doc")));
        rows.push_back(makeRow(QStringLiteral("budget.xls")));
        list->setRows(std::move(rows));
        list->listModel()->appendRow(makeRow(QStringLiteral("REPORTS.zip")));
        list->listModel()->appendRow(makeRow(QStringLiteral("other.zip")));
        QCOMPARE(shownNames(*list), (QStringList{"old report.doc", "REPORTS.zip"}));
        QCOMPARE(list->listModel()->size(), 4);
    }
};

QTEST_MAIN(TestNameFilter)
#include "tst_namefilter.moc"
