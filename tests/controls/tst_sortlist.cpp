#include "controls/columnwidth.h"
#include "controls/sortheader.h"
#include "controls/sortlistctrl.h"
#include "platform/datetimetext.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <limits>
#include <memory>

namespace
{

SortListRow makeRow(const QString &name, bool folder, const QString &size, const QString &date = QString())
{
    SortListRow row;
    row.texts = {name, size, date, folder ? QStringLiteral("drwxr-xr-x") : QStringLiteral("-rw-r--r--")};
    row.itemData = folder ? 0xF2 : 2;
    return row;
}

QStringList names(const CSortListCtrl &list)
{
    QStringList result;
    for (const SortListRow &row : list.listModel()->rowsInDisplayOrder())
        result << row.text(0);
    return result;
}

QString dateText(int year, int month, int day, int hour, int minute)
{
    return datetimetext::format(datetimetext::makeKey(QDate(year, month, day), hour, minute));
}

void forgetState(const QString &listName)
{
    settingsstore::writeString(QString::fromLatin1(CSortListCtrl::widthsSection), listName, QString());
    settingsstore::writeInt(QString::fromLatin1(CSortListCtrl::sortColumnSection), listName, -1);
    settingsstore::writeInt(QString::fromLatin1(CSortListCtrl::sortStateSection), listName, 0);
}

std::unique_ptr<CSortListCtrl> makeList(const QString &listName)
{
    auto list = std::make_unique<CSortListCtrl>();
    list->SetListName(listName);
    list->InsertFileColumns();
    list->resize(600, 300);
    return list;
}

void clickHeader(CSortListCtrl &list, int section, Qt::MouseButton button = Qt::LeftButton)
{
    QHeaderView *header = list.header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), button, Qt::NoModifier, at);
}

} // namespace

class TestSortList : public QObject
{
    Q_OBJECT
private slots:
    void folderFirstInBothDirections();
    void numbersSortByValue_data();
    void numbersSortByValue();
    void textSortMatchesCaseInsensitiveOrder();
    void equalDatesKeepTheirOrder();
    void headerClicks();
    void storedSortStateIsRestored();
    void storedWidths();
    void stateIsSavedOnDestruction();
    void selectItemByName();
};

void TestSortList::folderFirstInBothDirections()
{
    forgetState("T_FOLDERS");
    auto list = makeList("T_FOLDERS");
    list->setRows({makeRow("b.txt", false, "1"), makeRow("Zeta", true, ""), makeRow("a.txt", false, "2"),
                   makeRow("alpha", true, ""), makeRow("C.txt", false, "3")});
    // The first re-sort without a stored state sorts by the name, ascending.
    QCOMPARE(names(*list), (QStringList{"alpha", "Zeta", "a.txt", "b.txt", "C.txt"}));
    QCOMPARE(list->sortColumn(), -1);
    list->SortByColumn(0);
    QCOMPARE(names(*list), (QStringList{"Zeta", "alpha", "C.txt", "b.txt", "a.txt"}));
    list->SortByColumn(1);
    QCOMPARE(names(*list), (QStringList{"Zeta", "alpha", "C.txt", "a.txt", "b.txt"}));
}

void TestSortList::numbersSortByValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("grouped") << "1,234,567" << qint64(1234567);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("blanks and sign") << "  -5" << qint64(-5);
    QTest::newRow("trailing text") << "12abc" << qint64(12);
    QTest::newRow("over 2 GiB") << "5,368,709,120" << qint64(5368709120);
    QTest::newRow("beyond 64 bits") << "123,456,789,012,345,678,901,234"
                                    << std::numeric_limits<qint64>::max();
}

void TestSortList::numbersSortByValue()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(sortNumberValue(text), value);

    SortListModel model;
    model.insertColumnAt(0, "Name", Qt::AlignLeft);
    model.insertColumnAt(1, "Size", Qt::AlignRight);
    model.setRows(
        {makeRow("big", false, "1,024"), makeRow("small", false, "999"), makeRow("x", false, text)});
    model.sortRows(1, SortNumber, true);
    QStringList order;
    for (const SortListRow &row : model.rowsInDisplayOrder())
        order << row.text(0);
    QVERIFY(order.indexOf("small") < order.indexOf("big"));
    QCOMPARE(order.indexOf("x") < order.indexOf("small"), value < 999);
}

void TestSortList::textSortMatchesCaseInsensitiveOrder()
{
    // Names that share long beginnings, differ only in case, are prefixes of one another or
    // repeat, against a plain stable sort with the case-insensitive comparison.
    QRandomGenerator random(7);
    const QString alphabet = QStringLiteral("aAbBzZ_.0 9éÉ한글");
    const QStringList stems = {"", "IMG_", "img_2023_", "file", "a"};
    SortListModel model;
    model.insertColumnAt(0, "Name", Qt::AlignLeft);
    std::vector<SortListRow> rows;
    for (int i = 0; i < 3000; ++i) {
        QString name = stems[random.bounded(int(stems.size()))];
        const int length = random.bounded(12);
        for (int c = 0; c < length; ++c)
            name += alphabet[random.bounded(int(alphabet.size()))];
        SortListRow row = makeRow(name, random.bounded(8) == 0, "");
        row.texts[1] = QString::number(i);
        rows.push_back(row);
    }
    std::vector<SortListRow> reference = rows;
    model.setRows(std::move(rows));
    for (bool ascending : {true, false}) {
        model.sortRows(0, SortText, ascending);
        // Each sort starts from the order the previous one left, as the list's do.
        std::stable_sort(reference.begin(), reference.end(), [&](const SortListRow &a, const SortListRow &b) {
            if (a.isFolder() != b.isFolder())
                return a.isFolder();
            const int c = a.text(0).compare(b.text(0), Qt::CaseInsensitive);
            return ascending ? c < 0 : c > 0;
        });
        const std::vector<SortListRow> sorted = model.rowsInDisplayOrder();
        QCOMPARE(sorted.size(), reference.size());
        for (size_t i = 0; i < sorted.size(); ++i)
            QCOMPARE(sorted[i].text(1), reference[i].text(1));
    }
}

void TestSortList::equalDatesKeepTheirOrder()
{
    forgetState("T_DATES");
    auto list = makeList("T_DATES");
    const QString same = dateText(2000, 1, 26, 11, 5);
    const QString later = dateText(2001, 3, 4, 0, 0);
    list->listModel()->setRows({makeRow("one", false, "1", same), makeRow("late", false, "1", later),
                                makeRow("two", false, "1", same), makeRow("bad", false, "1", "no date"),
                                makeRow("three", false, "1", same)});
    list->listModel()->sortRows(2, SortDateTime, true);
    QCOMPARE(names(*list), (QStringList{"bad", "one", "two", "three", "late"}));
    list->listModel()->sortRows(2, SortDateTime, false);
    QCOMPARE(names(*list), (QStringList{"late", "one", "two", "three", "bad"}));
    // Sorting again changes nothing: equal rows compare equal in both orders.
    list->listModel()->sortRows(2, SortDateTime, false);
    QCOMPARE(names(*list), (QStringList{"late", "one", "two", "three", "bad"}));
    // A known value is used as it is; an edited text is read again.
    list->listModel()->setText(4, 2, dateText(2005, 1, 1, 0, 0));
    list->listModel()->sortRows(2, SortDateTime, false);
    QCOMPARE(names(*list).first(), QStringLiteral("bad"));
}

void TestSortList::headerClicks()
{
    forgetState("T_CLICKS");
    auto list = makeList("T_CLICKS");
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    list->setRows({makeRow("b", false, "999"), makeRow("a", false, "1,024"), makeRow("c", false, "5")});
    auto *header = list->sortHeader();

    clickHeader(*list, 1);
    QCOMPARE(list->sortColumn(), 1);
    QCOMPARE(names(*list), (QStringList{"a", "b", "c"})); // descending by size
    QCOMPARE(header->arrowItem(), 1);
    QVERIFY(!header->arrowAscending());
    QVERIFY(list->listModel()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());

    clickHeader(*list, 1);
    QCOMPARE(names(*list), (QStringList{"c", "b", "a"}));
    QVERIFY(header->arrowAscending());

    // Another column starts descending too, and the arrow moves there.
    clickHeader(*list, 0);
    QCOMPARE(names(*list), (QStringList{"c", "b", "a"}));
    QCOMPARE(header->arrowItem(), 0);
    QVERIFY(!list->listModel()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isValid());
    // Coming back continues from that column's own direction: it was last ascending.
    clickHeader(*list, 1);
    QCOMPARE(names(*list), (QStringList{"a", "b", "c"}));

    // Other buttons do nothing.
    clickHeader(*list, 0, Qt::RightButton);
    QCOMPARE(list->sortColumn(), 1);

    // ReSort keeps the column and its direction.
    list->setRows({makeRow("x", false, "1"), makeRow("y", false, "300")});
    QCOMPARE(names(*list), (QStringList{"y", "x"}));
    QCOMPARE(list->sortColumn(), 1);
}

void TestSortList::storedSortStateIsRestored()
{
    forgetState("T_STORED");
    settingsstore::writeInt("SortColumn", "T_STORED", 2);
    settingsstore::writeInt("SortState", "T_STORED", 4);
    auto list = makeList("T_STORED");
    list->setRows({makeRow("old", false, "1", dateText(1999, 1, 1, 10, 0)),
                   makeRow("new", false, "1", dateText(2020, 1, 1, 10, 0))});
    QCOMPARE(list->sortColumn(), 2);
    QVERIFY(list->columnDescending(2));
    QCOMPARE(names(*list), (QStringList{"new", "old"}));
    QCOMPARE(list->sortHeader()->arrowItem(), 2);
    QVERIFY(!list->sortHeader()->arrowAscending());
    // The next click on that column sorts it ascending.
    list->SortByColumn(2);
    QCOMPARE(names(*list), (QStringList{"old", "new"}));

    // A stored column the list does not have is ignored.
    forgetState("T_STORED_BAD");
    settingsstore::writeInt("SortColumn", "T_STORED_BAD", 17);
    auto other = makeList("T_STORED_BAD");
    other->setRows({makeRow("b", false, "1"), makeRow("a", false, "2")});
    QCOMPARE(other->sortColumn(), -1);
    QCOMPARE(names(*other), (QStringList{"a", "b"}));
}

void TestSortList::storedWidths()
{
    forgetState("T_WIDTHS");
    settingsstore::writeString("ColumnWidths", "T_WIDTHS", " 120px,3,x");
    auto list = makeList("T_WIDTHS");
    QCOMPARE(list->header()->sectionSize(0), 120);
    // Below 5: the default, wide enough for a gigabyte.
    QCOMPARE(list->header()->sectionSize(1), std::max(80, columnWidthFor(list.get(), widestShownSize())));
    QCOMPARE(list->header()->sectionSize(2), 150); // not a number
    QCOMPARE(list->header()->sectionSize(3), 90);  // no field at all
}

void TestSortList::stateIsSavedOnDestruction()
{
    forgetState("T_SAVE");
    int sizeWidth = 0;
    {
        auto list = makeList("T_SAVE");
        sizeWidth = list->header()->sectionSize(1);
        list->header()->resizeSection(0, 200);
        list->setRows({makeRow("a", false, "1")});
    }
    QCOMPARE(settingsstore::readString("ColumnWidths", "T_SAVE", QString()),
             QStringLiteral("200,%1,150,90,").arg(sizeWidth));
    // Never clicked and nothing stored: the sort column is not written.
    QCOMPARE(settingsstore::readInt("SortColumn", "T_SAVE", -1), -1);
    {
        auto list = makeList("T_SAVE");
        list->SortByColumn(3);
    }
    QCOMPARE(settingsstore::readInt("SortColumn", "T_SAVE", -1), 3);
    QCOMPARE(settingsstore::readInt("SortState", "T_SAVE", -1), 8);
}

void TestSortList::selectItemByName()
{
    forgetState("T_SELECT");
    auto list = makeList("T_SELECT");
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    std::vector<SortListRow> rows;
    for (int i = 0; i < 500; ++i)
        rows.push_back(makeRow(QStringLiteral("file%1.txt").arg(i, 3, 10, QLatin1Char('0')), false, "1"));
    list->setRows(std::move(rows));
    list->SelectItemByName("FILE420.TXT");
    QCOMPARE(list->selectedRows(), std::vector<int>{420});
    QCOMPARE(list->currentIndex().row(), 420);
    QVERIFY(list->visualRect(list->currentIndex()).intersects(list->viewport()->rect()));
    list->SelectItemByName("missing");
    QCOMPARE(list->selectedRows(), std::vector<int>{420});
}

QTEST_MAIN(TestSortList)
#include "tst_sortlist.moc"
