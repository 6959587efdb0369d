#include "controls/sortlistmodel.h"

#include "controls/fileiconimages.h"
#include "platform/datetimetext.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string_view>

namespace
{

// The order of a sort is total: folders first, then the column's value, then the row's current
// display position. So equal rows keep their order (a stable sort) while the sort itself can be
// the faster unstable one, and re-sorting an unchanged list changes nothing.
constexpr quint32 folderBit = 0x80000000u;

quint32 sortRank(const SortListRow &row, quint32 displayPosition)
{
    return (row.isFolder() ? 0u : folderBit) | displayPosition;
}

inline char16_t foldCase(char16_t unit)
{
    if (unit < 0x80)
        return unit >= 'A' && unit <= 'Z' ? char16_t(unit + ('a' - 'A')) : unit;
    return QChar::toCaseFolded(unit);
}

} // namespace

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
    const SortListRow &r = row(index.row());
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
    if (int(columns_.size()) >= SortListRow::maxColumns)
        return;
    index = std::clamp(index, 0, int(columns_.size()));
    beginInsertColumns(QModelIndex(), index, index);
    columns_.insert(columns_.begin() + index, Column{title, alignment, QVariant()});
    for (SortListRow &r : rows_) {
        if (index < SortListRow::maxColumns) {
            std::move_backward(r.texts.begin() + index, r.texts.end() - 1, r.texts.end());
            r.texts[size_t(index)] = QString();
        }
        r.numberKeys = 0;
        r.dateKeys = 0;
    }
    endInsertColumns();
}

void SortListModel::setRows(std::vector<SortListRow> rows)
{
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
        result.push_back(rows_[index]);
    return result;
}

void SortListModel::clear()
{
    setRows({});
}

int SortListModel::appendRow(SortListRow row)
{
    const int at = int(rows_.size());
    beginInsertRows(QModelIndex(), at, at);
    rows_.push_back(std::move(row));
    order_.push_back(quint32(at));
    endInsertRows();
    return at;
}

void SortListModel::removeRowAt(int row)
{
    if (row < 0 || size_t(row) >= rows_.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    const quint32 stored = order_[size_t(row)];
    rows_.erase(rows_.begin() + stored);
    order_.erase(order_.begin() + row);
    for (quint32 &index : order_)
        if (index > stored)
            --index;
    endRemoveRows();
}

void SortListModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || size_t(row) >= rows_.size() || column < 0 || column >= SortListRow::maxColumns)
        return;
    SortListRow &r = rows_[order_[size_t(row)]];
    r.texts[size_t(column)] = text;
    r.forgetKeys(column);
    emit dataChanged(index(row, column), index(row, column));
}

void SortListModel::sortRows(int column, int kind, bool ascending)
{
    const size_t n = rows_.size();
    std::vector<quint32> order(n);
    if (kind == SortText)
        orderByText(column, ascending, order);
    else
        orderByValue(column, kind, ascending, order);
    applyOrder(order);
}

qint64 SortListModel::valueKey(SortListRow &r, int column, int kind)
{
    const bool cacheable = column < SortListRow::keyColumns;
    const quint8 bit = cacheable ? quint8(1u << column) : 0;
    if (kind == SortNumber) {
        if (r.numberKeys & bit)
            return r.keys[size_t(column)];
        const qint64 value = sortNumberValue(r.text(column));
        r.setNumberKey(column, value);
        return value;
    }
    if (kind == SortDateTime) {
        if (r.dateKeys & bit)
            return r.keys[size_t(column)];
        // A text that does not read as a date sorts as the earliest of all, so that the order
        // stays consistent.
        const qint64 value = datetimetext::parseDisplayed(r.text(column));
        r.setDateKey(column, value);
        return value;
    }
    return 0;
}

void SortListModel::orderByValue(int column, int kind, bool ascending, std::vector<quint32> &order)
{
    // Keys side by side in one array, so that the sort never leaves it.
    struct Keyed {
        qint64 key;
        quint32 rank; // see sortRank()
        quint32 index;
    };
    const size_t n = rows_.size();
    const std::vector<quint32> position = displayPositions();
    std::vector<Keyed> keyed(n);
    for (size_t i = 0; i < n; ++i) {
        SortListRow &r = rows_[i];
        const qint64 key = valueKey(r, column, kind);
        // Bitwise NOT reverses the order of every value, the lowest included.
        keyed[i] = {ascending ? key : ~key, sortRank(r, position[i]), quint32(i)};
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if ((a.rank ^ b.rank) & folderBit)
            return a.rank < b.rank;
        return a.key != b.key ? a.key < b.key : a.rank < b.rank;
    });
    for (size_t i = 0; i < n; ++i)
        order[i] = keyed[i].index;
}

void SortListModel::orderByText(int column, bool ascending, std::vector<quint32> &order)
{
    // Every text is case-folded once into one buffer. Eight characters of each, packed into two
    // numbers kept beside the row index, decide most comparisons without reading the buffer; they
    // are taken after the part that all texts share (a folder of "IMG_0001.JPG"...).
    struct Keyed {
        quint64 high;
        quint64 low;
        const QChar *shared; // texts that share one copy (the same permission string) are equal
        quint32 offset;
        quint32 length;
        quint32 rank;
        quint32 index;
    };
    const size_t n = rows_.size();
    const std::vector<quint32> position = displayPositions();
    std::vector<Keyed> keyed(n);
    std::vector<char16_t> folded;
    folded.reserve(n * 16);
    for (size_t i = 0; i < n; ++i) {
        const SortListRow &r = rows_[i];
        const quint32 offset = quint32(folded.size());
        const QString &text = r.text(column);
        for (QChar c : text)
            folded.push_back(foldCase(c.unicode()));
        keyed[i] = {
            0,         0, text.constData(), offset, quint32(folded.size() - offset), sortRank(r, position[i]),
            quint32(i)};
    }
    const char16_t *base = folded.data();
    size_t common = n ? keyed[0].length : 0;
    for (size_t i = 1; i < n && common; ++i) {
        const char16_t *a = base + keyed[0].offset, *b = base + keyed[i].offset;
        size_t same = 0;
        const size_t limit = std::min<size_t>(common, keyed[i].length);
        while (same < limit && a[same] == b[same])
            ++same;
        common = same;
    }
    for (Keyed &k : keyed) {
        for (size_t c = 0; c < 8 && common + c < k.length; ++c) {
            const quint64 unit = base[k.offset + common + c];
            if (c < 4)
                k.high |= unit << (48 - 16 * c);
            else
                k.low |= unit << (48 - 16 * (c - 4));
        }
        k.offset += quint32(common);
        k.length -= quint32(common);
    }
    auto less = [base](const Keyed &a, const Keyed &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        if (a.shared == b.shared && a.length == b.length)
            return false;
        return std::u16string_view(base + a.offset, a.length) <
               std::u16string_view(base + b.offset, b.length);
    };
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        if ((a.rank ^ b.rank) & folderBit)
            return a.rank < b.rank;
        if (ascending ? less(a, b) : less(b, a))
            return true;
        if (ascending ? less(b, a) : less(a, b))
            return false;
        return a.rank < b.rank;
    });
    for (size_t i = 0; i < n; ++i)
        order[i] = keyed[i].index;
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
