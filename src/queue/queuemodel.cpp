#include "queue/queuemodel.h"

#include "controls/blockmove.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "queue/queueicons.h"

#include <algorithm>

QueueModel::QueueModel(QObject *parent) : QAbstractTableModel(parent) {}

int QueueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int QueueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString QueueModel::shownText(const QByteArray &bytes)
{
    return namecodec::decodeName(bytes, namecodec::Legacy::Cp949);
}

QueueModel::Row QueueModel::makeRow(const QueueItem &item)
{
    return Row{item, shownText(item.name), QString::fromLatin1(item.sizeText), shownText(item.destination)};
}

QVariant QueueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size())
        return QVariant();
    const Row &row = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return row.name;
        case SizeColumn:
            return row.size;
        case DestinationColumn:
            return row.destination;
        default:
            return QString();
        }
    case Qt::DecorationRole:
        if (index.column() == NameColumn)
            return queueicons::icon(queueicons::indexForParameter(row.item.itemParameter()));
        return QVariant();
    case Qt::TextAlignmentRole:
        return headerData(index.column(), Qt::Horizontal, role);
    default:
        return QVariant();
    }
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr int titles[ColumnCount] = {132, 133, 141, 140};
    switch (role) {
    case Qt::DisplayRole:
        return loadString(titles[section]);
    case Qt::TextAlignmentRole: {
        const Qt::Alignment alignment = section == SizeColumn     ? Qt::AlignRight
                                        : section == StatusColumn ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft;
        return QVariant::fromValue(alignment | Qt::AlignVCenter);
    }
    default:
        return QVariant();
    }
}

std::vector<QueueItem> QueueModel::items() const
{
    std::vector<QueueItem> result;
    result.reserve(rows_.size());
    for (const Row &row : rows_)
        result.push_back(row.item);
    return result;
}

void QueueModel::countName(const QByteArray &name, int delta)
{
    auto it = nameCounts_.find(name);
    if (it == nameCounts_.end()) {
        if (delta > 0)
            nameCounts_.insert(name, delta);
        return;
    }
    *it += delta;
    if (*it <= 0)
        nameCounts_.erase(it);
}

void QueueModel::insertItems(int at, const std::vector<QueueItem> &items)
{
    if (items.empty())
        return;
    at = std::clamp(at, 0, size());
    beginInsertRows(QModelIndex(), at, at + int(items.size()) - 1);
    std::vector<Row> made;
    made.reserve(items.size());
    for (const QueueItem &item : items) {
        made.push_back(makeRow(item));
        countName(item.name, 1);
    }
    rows_.insert(rows_.begin() + at, std::make_move_iterator(made.begin()),
                 std::make_move_iterator(made.end()));
    endInsertRows();
}

void QueueModel::removeRowsAt(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= size(); }),
               rows.end());
    // From the last run of neighbouring rows to the first, so that earlier indexes stay valid.
    size_t end = rows.size();
    while (end > 0) {
        size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        const int first = rows[begin];
        const int last = rows[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        for (int r = first; r <= last; ++r)
            countName(rows_[size_t(r)].item.name, -1);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
        end = begin;
    }
}

void QueueModel::setItems(std::vector<QueueItem> items)
{
    beginResetModel();
    rows_.clear();
    nameCounts_.clear();
    rows_.reserve(items.size());
    for (const QueueItem &item : items) {
        rows_.push_back(makeRow(item));
        countName(item.name, 1);
    }
    endResetModel();
}

void QueueModel::moveBlock(const std::vector<int> &rows, int target)
{
    const std::vector<int> order = blockMoveOrder(size(), rows, target);
    bool unchanged = true;
    for (size_t i = 0; i < order.size() && unchanged; ++i)
        unchanged = order[i] == int(i);
    if (unchanged)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::NoLayoutChangeHint);
    std::vector<int> newPosition(order.size());
    std::vector<Row> moved;
    moved.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newPosition[size_t(order[i])] = int(i);
        moved.push_back(std::move(rows_[size_t(order[i])]));
    }
    rows_ = std::move(moved);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &index : from)
        to.append(index.isValid() ? createIndex(newPosition[size_t(index.row())], index.column())
                                  : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::NoLayoutChangeHint);
}
