// Sorting a long list off the window thread: the old order stays until the new one is ready, the
// newest request wins, changed rows drop a result made on the old ones, and a list may go while
// its sort runs.
#include "controls/sortheader.h"
#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

constexpr int NameColumn = 0;
constexpr int SizeColumn = 1;

FileRows sampleRows(int count)
{
    FileRows rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        FileRow row;
        // Names and sizes in orders of their own, so that each column sorts differently.
        row.texts[0] = QStringLiteral("file%1").arg((i * 7919) % count, 6, 10, QLatin1Char('0'));
        row.texts[1] = QString::number((i * 104729) % 100003);
        row.itemData = i % 10 == 0 ? FileRow::folderItemData : FileRow::fileItemData;
        rows.push_back(row);
    }
    return rows;
}

QStringList shownNames(const SortListModel &model)
{
    QStringList names;
    for (int row = 0; row < model.size(); ++row)
        names << model.text(row, NameColumn);
    return names;
}

// What the window-thread sort makes of the same rows.
QStringList sortedNames(const FileRows &rows, int column, int kind, bool ascending)
{
    SortListModel model;
    model.insertColumnAt(0, QStringLiteral("Name"), Qt::AlignLeft);
    model.insertColumnAt(1, QStringLiteral("Size"), Qt::AlignRight);
    model.setRows(rows);
    model.sortRows(column, kind, ascending);
    return shownNames(model);
}

void makeColumns(SortListModel &model)
{
    model.insertColumnAt(0, QStringLiteral("Name"), Qt::AlignLeft);
    model.insertColumnAt(1, QStringLiteral("Size"), Qt::AlignRight);
}

} // namespace

class TestSortListSorter : public QObject
{
    Q_OBJECT
private slots:
    // A header click: the arrow turns at once, the rows stay as they were until the sorted order
    // arrives, and the selection and the current row follow their rows.
    void headerClickSortsInTheBackground()
    {
        CSortListCtrl list;
        list.InsertFileColumns();
        list.listModel()->setBackgroundSortRows(1);
        const FileRows rows = sampleRows(5000);
        list.listModel()->setRows(rows);
        const QStringList before = shownNames(*list.listModel());
        list.selectionModel()->setCurrentIndex(list.listModel()->index(10, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list.selectionModel()->select(list.listModel()->index(20, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString current = list.listModel()->text(10, NameColumn);
        const QStringList selected = list.namesOf(list.selectedRows());
        QSignalSpy finished(list.listModel(), &SortListModel::sortFinished);

        list.SortByColumn(SizeColumn);
        QCOMPARE(list.sortHeader()->arrowItem(), SizeColumn);
        QVERIFY(list.listModel()->sortPending());
        QCOMPARE(shownNames(*list.listModel()), before);

        QVERIFY(finished.wait(20000));
        QVERIFY(!list.listModel()->sortPending());
        const bool ascending = list.sortHeader()->arrowAscending();
        QCOMPARE(shownNames(*list.listModel()), sortedNames(rows, SizeColumn, SortNumber, ascending));
        QCOMPARE(list.listModel()->text(list.currentIndex().row(), NameColumn), current);
        QStringList selectedAfter = list.namesOf(list.selectedRows());
        selectedAfter.sort();
        QStringList selectedBefore = selected;
        selectedBefore.sort();
        QCOMPARE(selectedAfter, selectedBefore);
    }

    // Changes while a sort runs: a newer sort wins, replaced rows drop the result, a row added or
    // renamed has the sort made again on the rows as they now are.
    void changesWhileSorting_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("newer sort") << "sort";
        QTest::newRow("rows replaced") << "replace";
        QTest::newRow("row appended") << "append";
        QTest::newRow("row renamed") << "rename";
        QTest::newRow("row removed") << "remove";
    }
    void changesWhileSorting()
    {
        QFETCH(QString, change);
        SortListModel model;
        makeColumns(model);
        model.setBackgroundSortRows(1);
        model.setRows(sampleRows(3000));
        QSignalSpy finished(&model, &SortListModel::sortFinished);
        model.requestSort(SizeColumn, SortNumber, true);

        FileRows expected = sampleRows(3000);
        int column = SizeColumn;
        int kind = SortNumber;
        if (change == "sort") {
            model.requestSort(NameColumn, SortText, false);
            column = NameColumn;
            kind = SortText;
        } else if (change == "replace") {
            const FileRows other = sampleRows(100);
            model.setRows(other);
            QVERIFY(!model.sortPending());
            // The result of the first rows never shows: these stay as they were given.
            QTest::qWait(200);
            QCOMPARE(finished.count(), 0);
            QStringList given;
            for (size_t row = 0; row < other.size(); ++row)
                given << other.text(row, NameColumn);
            QCOMPARE(shownNames(model), given);
            QCOMPARE(model.size(), 100);
            return;
        } else if (change == "append") {
            FileRow row;
            row.texts[0] = QStringLiteral("added");
            row.texts[1] = QStringLiteral("5");
            row.itemData = FileRow::fileItemData;
            model.appendRow(row);
            expected.push_back(row);
        } else if (change == "rename") {
            model.setText(0, SizeColumn, QStringLiteral("1"));
            expected.setText(0, SizeColumn, QStringLiteral("1"));
        } else if (change == "remove") {
            model.removeRowAt(5);
            expected.erase(5);
        }
        QVERIFY(model.sortPending());
        QVERIFY(finished.wait(20000));
        QCOMPARE(shownNames(model), sortedNames(expected, column, kind, change != "sort"));
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
    }

    // The list goes while its sort runs or while the result is on its way to the window thread.
    void listGoesWhileSorting()
    {
        for (const int wait : {0, 100}) {
            auto *model = new SortListModel;
            makeColumns(*model);
            model->setBackgroundSortRows(1);
            model->setRows(sampleRows(20000));
            model->requestSort(NameColumn, SortText, true);
            QThread::msleep(wait); // 100 ms: the result is posted before the list goes
            delete model;
            QTest::qWait(50);
        }
    }
};

QTEST_MAIN(TestSortListSorter)
#include "tst_sortlistsorter.moc"
