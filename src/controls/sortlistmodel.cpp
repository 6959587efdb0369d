#include "controls/sortlistmodel.h"

#include "controls/fileiconimages.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string_view>

SortListModel::~SortListModel()
{
    emit rowsAboutToChange();
    sorter_.cancel();
}

int SortListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SortListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant SortListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return QVariant();
    // Texts are made here, for the rows on screen only.
    const size_t stored = order_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return rows_.text(stored, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(iconForIndex(rows_.icon(stored))) : QVariant();
    case Qt::TextAlignmentRole:
        if (size_t(index.column()) < columns_.size())
            return QVariant::fromValue(columns_[size_t(index.column())].alignment | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant SortListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column &c = columns_[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
        return c.title;
    case Qt::DecorationRole:
        return c.decoration;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(c.alignment | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

bool SortListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return false;
    Column &c = columns_[size_t(section)];
    if (role == Qt::DecorationRole)
        c.decoration = value;
    else if (role == Qt::DisplayRole || role == Qt::EditRole)
        c.title = value.toString();
    else
        return false;
    emit headerDataChanged(orientation, section, section);
    return true;
}

void SortListModel::insertColumnAt(int index, const QString &title, Qt::Alignment alignment)
{
    if (int(columns_.size()) >= SortListRow::maxColumns)
        return;
    index = std::clamp(index, 0, int(columns_.size()));
    (void)stopSort(); // the columns it sorted by move
    beginInsertColumns(QModelIndex(), index, index);
    columns_.insert(columns_.begin() + index, Column{title, alignment, QVariant()});
    rows_.insertColumn(index);
    endInsertColumns();
}

void SortListModel::setRows(FileRows rows)
{
    // Its order is of rows no longer shown.
    (void)stopSort();
    beginResetModel();
    rows_ = std::move(rows);
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0u);
    endResetModel();
}

std::vector<SortListRow> SortListModel::rowsInDisplayOrder() const
{
    std::vector<SortListRow> result;
    result.reserve(rows_.size());
    for (quint32 index : order_)
        result.push_back(rows_.at(index));
    return result;
}

void SortListModel::clear()
{
    setRows({});
}

int SortListModel::appendRow(const SortListRow &row)
{
    const std::optional<RowOrder> stopped = stopSort();
    const int at = int(rows_.size());
    beginInsertRows(QModelIndex(), at, at);
    rows_.push_back(row);
    order_.push_back(quint32(at));
    endInsertRows();
    restartSort(stopped);
    return at;
}

void SortListModel::removeRowAt(int row)
{
    if (row < 0 || size_t(row) >= rows_.size())
        return;
    const std::optional<RowOrder> stopped = stopSort();
    beginRemoveRows(QModelIndex(), row, row);
    const quint32 stored = order_[size_t(row)];
    rows_.erase(stored);
    order_.erase(order_.begin() + row);
    for (quint32 &index : order_)
        if (index > stored)
            --index;
    endRemoveRows();
    restartSort(stopped);
}

void SortListModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || size_t(row) >= rows_.size() || column < 0 || column >= SortListRow::maxColumns)
        return;
    const std::optional<RowOrder> stopped = stopSort();
    rows_.setText(order_[size_t(row)], column, text);
    emit dataChanged(index(row, column), index(row, column));
    restartSort(stopped);
}

void SortListModel::sortRows(int column, int kind, bool ascending)
{
    // The newest order wins; and this sort writes the keys it reads into the rows.
    (void)stopSort();
    applyOrder(sortedRowOrder(rows_, column, kind, ascending, displayPositions()));
}

void SortListModel::requestSort(int column, int kind, bool ascending)
{
    if (rows_.size() < size_t(std::max(backgroundSortRows_, 0))) {
        sortRows(column, kind, ascending);
        emit sortFinished();
        return;
    }
    sorter_.start(rows_, RowOrder{column, kind, ascending}, displayPositions(), [this](std::vector<quint32> order) {
        applyOrder(order);
        emit sortFinished();
    });
}

std::optional<RowOrder> SortListModel::stopSort()
{
    emit rowsAboutToChange();
    if (!sorter_.pending())
        return std::nullopt;
    const RowOrder stopped = sorter_.order();
    sorter_.cancel();
    return stopped;
}

void SortListModel::restartSort(const std::optional<RowOrder> &stopped)
{
    if (stopped)
        requestSort(stopped->column, stopped->kind, stopped->ascending);
}

std::vector<quint32> SortListModel::displayPositions() const
{
    std::vector<quint32> position(order_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        position[order_[i]] = quint32(i);
    return position;
}

void SortListModel::applyOrder(const std::vector<quint32> &order)
{
    if (order == order_)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const size_t n = order.size();
    // display row before -> display row after, through the storage index they share
    std::vector<int> displayOf(n);
    for (size_t i = 0; i < n; ++i)
        displayOf[order[i]] = int(i);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &index : from)
        to.append(index.isValid() ? createIndex(displayOf[order_[size_t(index.row())]], index.column())
                                  : QModelIndex());
    order_ = order;
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
