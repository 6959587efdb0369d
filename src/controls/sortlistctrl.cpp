#include "controls/sortlistctrl.h"

#include <QHeaderView>

int SortListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int SortListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(titles_.size()); }

QVariant SortListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return {};
    if (role == Qt::DisplayRole)
        return rows_[size_t(index.row())].text(index.column());
    if (role == Qt::TextAlignmentRole && size_t(index.column()) < alignments_.size())
        return QVariant::fromValue(alignments_[size_t(index.column())] | Qt::AlignVCenter);
    return {};
}

QVariant SortListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && size_t(section) < titles_.size())
        return titles_[size_t(section)];
    return {};
}

void SortListModel::insertColumnAt(int index, const QString &title, Qt::Alignment alignment)
{
    beginInsertColumns({}, index, index);
    titles_.insert(titles_.begin() + index, title);
    alignments_.insert(alignments_.begin() + index, alignment);
    endInsertColumns();
}

void SortListModel::setRows(std::vector<SortListRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

CSortListCtrl::CSortListCtrl(QWidget *parent) : QTreeView(parent), model_(new SortListModel(this))
{
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void CSortListCtrl::InsertSortColumn(int index, const QString &title, Qt::Alignment alignment, int defaultWidth)
{
    model_->insertColumnAt(index, title, alignment);
    setColumnWidth(index, defaultWidth);
}

void CSortListCtrl::SelectItemByName(const QString &name)
{
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (model_->row(row).text(0).compare(name, Qt::CaseInsensitive) == 0) {
            const QModelIndex index = model_->index(row, 0);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            scrollTo(index);
            break;
        }
    }
    setFocus();
}

std::vector<int> CSortListCtrl::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}
