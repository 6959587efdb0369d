#include "controls/sortlistmodel.h"

#include "controls/fileiconimages.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

bool isAsciiSpace(QChar c)
{
    return c == QLatin1Char(' ') || (c.unicode() >= '\t' && c.unicode() <= '\r');
}

template <typename Key>
void orderByKeys(std::vector<quint32> &order, const std::vector<Key> &keys, const std::vector<char> &folder,
                 bool ascending)
{
    // A strict weak order and a stable sort: rows with equal keys keep their order, so that
    // re-sorting an unchanged list changes nothing.
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        if (folder[a] != folder[b])
            return folder[a] > folder[b];
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

} // namespace

qint64 sortNumberValue(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (isAsciiSpace(text[i]) || text[i] == QLatin1Char(',')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(','))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (value > (limit - digit) / 10) {
            value = limit;
            // Keep reading digits: the value stays held at the limit.
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
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
    const SortListRow &r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return r.text(index.column());
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(iconForIndex(r.icon)) : QVariant();
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
    index = std::clamp(index, 0, int(columns_.size()));
    beginInsertColumns(QModelIndex(), index, index);
    columns_.insert(columns_.begin() + index, Column{title, alignment, QVariant()});
    for (SortListRow &r : rows_) {
        if (r.texts.size() >= index)
            r.texts.insert(index, QString());
        if (r.dateKeyColumn >= index)
            ++r.dateKeyColumn;
    }
    endInsertColumns();
}

void SortListModel::setRows(std::vector<SortListRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void SortListModel::clear() { setRows({}); }

int SortListModel::appendRow(SortListRow row)
{
    const int at = int(rows_.size());
    beginInsertRows(QModelIndex(), at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
    return at;
}

void SortListModel::removeRowAt(int row)
{
    if (row < 0 || size_t(row) >= rows_.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void SortListModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || size_t(row) >= rows_.size() || column < 0)
        return;
    SortListRow &r = rows_[size_t(row)];
    while (r.texts.size() <= column)
        r.texts.append(QString());
    r.texts[column] = text;
    if (r.dateKeyColumn == column)
        r.dateKeyColumn = -1;
    emit dataChanged(index(row, column), index(row, column));
}

void SortListModel::sortRows(int column, int kind, bool ascending)
{
    const size_t n = rows_.size();
    std::vector<quint32> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<char> folder(n);
    for (size_t i = 0; i < n; ++i)
        folder[i] = rows_[i].isFolder();

    switch (kind) {
    case SortNumber: {
        std::vector<qint64> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = sortNumberValue(rows_[i].text(column));
        orderByKeys(order, keys, folder, ascending);
        break;
    }
    case SortText: {
        // Case-folded once per row rather than folding both sides in every comparison.
        std::vector<QString> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = rows_[i].text(column).toCaseFolded();
        orderByKeys(order, keys, folder, ascending);
        break;
    }
    case SortDateTime: {
        // Each row's text is read once and the value kept in the row. A text that does not read
        // as a date sorts as the earliest of all, so that the order stays consistent.
        std::vector<datetimetext::Key> keys(n);
        for (size_t i = 0; i < n; ++i) {
            SortListRow &r = rows_[i];
            if (r.dateKeyColumn != column) {
                r.dateKey = datetimetext::parseDisplayed(r.text(column));
                r.dateKeyColumn = column;
            }
            keys[i] = r.dateKey;
        }
        orderByKeys(order, keys, folder, ascending);
        break;
    }
    default: {
        const std::vector<char> none(n, 0);
        orderByKeys(order, none, folder, ascending);
        break;
    }
    }
    applyOrder(order);
}

void SortListModel::applyOrder(const std::vector<quint32> &order)
{
    const size_t n = order.size();
    bool identity = true;
    for (size_t i = 0; i < n && identity; ++i)
        identity = order[i] == i;
    if (identity)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<SortListRow> sorted;
    sorted.reserve(n);
    std::vector<int> newRowOf(n);
    for (size_t i = 0; i < n; ++i) {
        sorted.push_back(std::move(rows_[order[i]]));
        newRowOf[order[i]] = int(i);
    }
    rows_ = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &index : from)
        to.append(index.isValid() ? createIndex(newRowOf[size_t(index.row())], index.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
