#include "controls/sortlistctrl.h"

#include "controls/columnwidth.h"
#include "controls/focusframe.h"
#include "controls/sortheader.h"
#include "platform/fileicons.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"

#include <QEvent>
#include <QItemSelectionModel>

#include <algorithm>
#include <cstdlib>

CSortListCtrl::CSortListCtrl(QWidget *parent)
    : QTreeView(parent), model_(new SortListModel(this)), header_(new SortHeader(this))
{
    setHeader(header_);
    setModel(model_);
    new FocusFrame(this);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    // The list sorts itself; the view's own sorting would also make the header unclickable.
    setSortingEnabled(false);
    header_->setSectionsClickable(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The header reports clicks of the left button only.
    connect(header_, &QHeaderView::sectionClicked, this, [this](int section) { SortByColumn(section); });
    // Whatever changes which rows the tree holds, or their height, needs the full layout.
    connect(model_, &QAbstractItemModel::layoutChanged, this,
            [this](const QList<QPersistentModelIndex> &, QAbstractItemModel::LayoutChangeHint hint) {
                if (hint != QAbstractItemModel::VerticalSortHint)
                    laidOutRows_.reset();
            });
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                              &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model_, signal, this, [this] { laidOutRows_.reset(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        laidOutRows_.reset();
        // The tree forgot which rows it hid.
        anyHidden_ = false;
        applyNameFilter(0, model_->size() - 1);
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { applyNameFilter(first, last); });
}

void CSortListCtrl::setNameFilter(const QString &text)
{
    const NameFilter filter(text);
    if (filter.text() == filter_.text())
        return;
    filter_ = filter;
    applyNameFilter(0, model_->size() - 1);
}

void CSortListCtrl::applyNameFilter(int first, int last)
{
    if (filter_.isEmpty() && !anyHidden_)
        return;
    QItemSelection hiddenSelected;
    for (int row = std::max(first, 0); row <= last && row < model_->size(); ++row) {
        const QString name = model_->text(row, 0);
        const bool hide = name != QLatin1String("..") && !filter_.matches(name);
        if (hide) {
            anyHidden_ = true;
            const QModelIndex index = model_->index(row, 0);
            if (selectionModel()->isRowSelected(row))
                hiddenSelected.select(index, index);
        }
        if (isRowHidden(row, {}) != hide)
            setRowHidden(row, {}, hide);
    }
    if (filter_.isEmpty())
        anyHidden_ = false;
    if (!hiddenSelected.isEmpty())
        selectionModel()->select(hiddenSelected, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    laidOutRows_.reset();
}

void CSortListCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        laidOutRows_.reset();
    QTreeView::changeEvent(event);
}

void CSortListCtrl::doItemsLayout()
{
    if (!laidOutRows_ || *laidOutRows_ != model_->rowCount() || anyHidden_) {
        QTreeView::doItemsLayout();
        laidOutRows_ = model_->rowCount();
        return;
    }
    // Only the order of the rows changed (a sort) or something beside them (the header's arrow):
    // the tree's rows are the model's rows by number and keep their height, and what they show
    // is read again when painted.
    QAbstractItemView::doItemsLayout();
    viewport()->update();
}

CSortListCtrl::~CSortListCtrl()
{
    SaveListState();
}

void CSortListCtrl::SetListName(const QString &name)
{
    listName_ = name;
}

void CSortListCtrl::InsertFileColumns()
{
    InsertSortColumn(0, loadText(TextId::NameColumn), Qt::AlignLeft, 180);
    InsertSortColumn(1, loadText(TextId::SizeColumn), Qt::AlignRight,
                     std::max(80, columnWidthFor(this, widestShownSize())));
    InsertSortColumn(2, loadText(TextId::DateTimeColumn), Qt::AlignLeft, 150);
    InsertSortColumn(3, loadText(TextId::AttributeColumn), Qt::AlignLeft, 90);
    SetColumnKind(0, SortText);
    SetColumnKind(1, SortNumber);
    SetColumnKind(2, SortDateTime);
    SetColumnKind(3, SortText);
}

void CSortListCtrl::InsertSortColumn(int index, const QString &title, Qt::Alignment alignment,
                                     int defaultWidth)
{
    model_->insertColumnAt(index, title, alignment);
    int width = 0;
    if (!listName_.isEmpty()) {
        const QStringList fields =
            settingsstore::readString(QString::fromLatin1(widthsSection), listName_, QString()).split(u',');
        // A missing, empty or non-numeric field reads as 0, and so falls back to the default.
        if (index >= 0 && index < fields.size())
            width = std::atoi(fields[index].toLatin1().constData());
    }
    header_->resizeSection(index, width >= 5 ? width : defaultWidth);
}

void CSortListCtrl::SetColumnKind(int index, int kind)
{
    if (index >= 0 && index < kindColumns)
        kinds_[size_t(index)] = kind;
}

int CSortListCtrl::columnKind(int column) const
{
    return column >= 0 && column < kindColumns ? kinds_[size_t(column)] : SortNone;
}

bool CSortListCtrl::columnDescending(int column) const
{
    return directionBits_ & bit(column);
}


void CSortListCtrl::SortByColumn(int column)
{
    if (column < 0 || column >= model_->columnCount())
        return;
    header_->ClearArrows();
    sortColumn_ = column;
    const bool ascending = columnDescending(column);
    // The arrow turns at once; a long list shows its old order until the new one is ready.
    header_->SetArrow(column, ascending);
    model_->requestSort(column, columnKind(column), ascending);
    directionBits_ ^= bit(column);
}

std::optional<RowOrder> CSortListCtrl::ReSortOrder()
{
    if (!stateLoaded_) {
        stateLoaded_ = true;
        LoadSortState();
    }
    const int column = sortColumn_ == -1 ? 0 : sortColumn_;
    if (column >= model_->columnCount())
        return std::nullopt;
    return RowOrder{column, columnKind(column), !columnDescending(column)};
}

void CSortListCtrl::ReSort()
{
    const std::optional<RowOrder> order = ReSortOrder();
    if (!order)
        return;
    header_->ClearArrows();
    model_->sortRows(order->column, order->kind, order->ascending);
    header_->SetArrow(order->column, order->ascending);
}

void CSortListCtrl::LoadSortState()
{
    if (listName_.isEmpty())
        return;
    const int stored = settingsstore::readInt(QString::fromLatin1(sortColumnSection), listName_, -1);
    // A column that this list does not have is no sort column.
    if (stored < 0 || stored >= model_->columnCount())
        return;
    sortColumn_ = stored;
    if (settingsstore::readInt(QString::fromLatin1(sortStateSection), listName_, 0) != 0)
        directionBits_ |= bit(stored);
}

void CSortListCtrl::SaveListState()
{
    if (listName_.isEmpty())
        return;
    QString widths;
    for (int i = 0; i < header_->count(); ++i)
        widths += QString::number(header_->sectionSize(i)) + QLatin1Char(',');
    settingsstore::writeString(QString::fromLatin1(widthsSection), listName_, widths);
    if (sortColumn_ != -1) {
        settingsstore::writeInt(QString::fromLatin1(sortColumnSection), listName_, sortColumn_);
        settingsstore::writeInt(QString::fromLatin1(sortStateSection), listName_,
                                int(directionBits_ & bit(sortColumn_)));
    }
}

void CSortListCtrl::SelectItemByName(const QString &name)
{
    for (int i = 0; i < model_->size(); ++i) {
        if (model_->text(i, 0).compare(name, Qt::CaseInsensitive) == 0) {
            const QModelIndex index = model_->index(int(i), 0);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
            scrollTo(index);
            break;
        }
    }
    setFocus();
}

int CSortListCtrl::FileIconIndex(const QString &name, bool byType)
{
    return byType ? fileicons::indexForType(name) : fileicons::indexForPath(name);
}

void CSortListCtrl::setRows(FileRows rows)
{
    model_->setRows(std::move(rows));
    ReSort();
}

void CSortListCtrl::setSortedRows(FileRows rows, const RowOrder &order)
{
    if (ReSortOrder() != order) {
        setRows(std::move(rows));
        return;
    }
    model_->setRows(std::move(rows));
    header_->ClearArrows();
    header_->SetArrow(order.column, order.ascending);
}

std::vector<int> CSortListCtrl::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        if (!anyHidden_ || !isRowHidden(index.row(), {}))
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList CSortListCtrl::namesOf(const std::vector<int> &rows) const
{
    QStringList names;
    for (int row : rows)
        names << model_->text(row, 0);
    return names;
}
