#include "queue/queuemodel.h"

#include "controls/blockmove.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "engine/transfertexts.h"
#include "queue/queueicons.h"
#include "session/transferqueue.h"

#include <algorithm>

QueueModel::QueueModel(TransferQueue *queue, QObject *parent) : QAbstractTableModel(parent), queue_(queue)
{
    queue->deliverChanges();
    connect(queue, &TransferQueue::itemsInserted, this, &QueueModel::insertItems, Qt::DirectConnection);
    connect(queue, &TransferQueue::itemsRemoved, this, &QueueModel::removeItems, Qt::DirectConnection);
    connect(queue, &TransferQueue::itemsReordered, this, &QueueModel::reorder, Qt::DirectConnection);
    connect(queue, &TransferQueue::itemsReset, this, &QueueModel::reset, Qt::DirectConnection);
    connect(queue, &TransferQueue::progressChanged, this, &QueueModel::progressChanged);
    reset(queue->items());
}

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
    if (index.column() == StatusColumn && role != Qt::TextAlignmentRole)
        return statusData(row, role);
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

QVariant QueueModel::statusData(const Row &row, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != PercentRole)
        return QVariant();
    const std::optional<TransferQueue::ItemProgress> progress = queue_->progressOf(row.item);
    if (!progress)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (role == PercentRole)
        return TransferPercent(progress->done, progress->total);
    return ItemProgressText(progress->done, progress->bytesPerSecond, progress->secondsLeft);
}

void QueueModel::progressChanged()
{
    if (!rows_.empty())
        emit dataChanged(index(0, StatusColumn), index(size() - 1, StatusColumn),
                         {Qt::DisplayRole, Qt::ToolTipRole, PercentRole});
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr TextId titles[ColumnCount] = {TextId::NameColumn, TextId::SizeColumn,
                                                   TextId::StatusColumn, TextId::DestinationColumn};
    switch (role) {
    case Qt::DisplayRole:
        return loadText(titles[section]);
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

void QueueModel::insertItems(int at, const std::vector<QueueItem> &items)
{
    if (items.empty())
        return;
    at = std::clamp(at, 0, size());
    beginInsertRows(QModelIndex(), at, at + int(items.size()) - 1);
    std::vector<Row> made;
    made.reserve(items.size());
    for (const QueueItem &item : items)
        made.push_back(makeRow(item));
    for (const QueueItem &item : items)
        queuedBytes_ += item.size();
    rows_.insert(rows_.begin() + at, std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    endInsertRows();
}

void QueueModel::removeItems(int first, int count)
{
    if (count <= 0 || first < 0 || first + count > size())
        return;
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    for (int row = first; row < first + count; ++row)
        queuedBytes_ -= rows_[size_t(row)].item.size();
    rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
    endRemoveRows();
}

void QueueModel::reset(const std::vector<QueueItem> &items)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(items.size());
    queuedBytes_ = 0;
    for (const QueueItem &item : items) {
        rows_.push_back(makeRow(item));
        queuedBytes_ += item.size();
    }
    endResetModel();
}

void QueueModel::reorder(const std::vector<int> &order)
{
    if (order.size() != rows_.size())
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
        to.append(index.isValid() ? createIndex(newPosition[size_t(index.row())], index.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::NoLayoutChangeHint);
}

void QueueModel::removeRowsAt(std::vector<int> rows)
{
    (void)queue_->removeRows(std::move(rows));
}

void QueueModel::setItems(const std::vector<QueueItem> &items)
{
    if (items.empty())
        queue_->clear();
}

void QueueModel::moveBlock(const std::vector<int> &rows, int target)
{
    (void)queue_->reorderRows(blockMoveOrder(size(), rows, target));
}
