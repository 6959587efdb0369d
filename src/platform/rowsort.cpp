#include "platform/rowsort.h"

#include "platform/datetimetext.h"

#include <QChar>

#include <algorithm>
#include <string_view>

namespace
{

// The order of a sort is total: folders first, then the column's value, then the row's current
// display position. So equal rows keep their order (a stable sort) while the sort itself can be
// the faster unstable one, and re-sorting an unchanged list changes nothing.
constexpr quint32 folderBit = 0x80000000u;

quint32 sortRank(const FileRow &row, quint32 displayPosition)
{
    return (row.isFolder() ? 0u : folderBit) | displayPosition;
}

inline char16_t foldCase(char16_t unit)
{
    if (unit < 0x80)
        return unit >= 'A' && unit <= 'Z' ? char16_t(unit + ('a' - 'A')) : unit;
    return QChar::toCaseFolded(unit);
}

qint64 valueKey(FileRow &r, int column, int kind)
{
    const bool cacheable = column < FileRow::keyColumns;
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

void orderByValue(std::vector<FileRow> &rows_, const std::vector<quint32> &position, int column, int kind,
                  bool ascending, std::vector<quint32> &order)
{
    // Keys side by side in one array, so that the sort never leaves it.
    struct Keyed {
        qint64 key;
        quint32 rank; // see sortRank()
        quint32 index;
    };
    const size_t n = rows_.size();
    std::vector<Keyed> keyed(n);
    for (size_t i = 0; i < n; ++i) {
        FileRow &r = rows_[i];
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

void orderByText(const std::vector<FileRow> &rows_, const std::vector<quint32> &position, int column,
                 bool ascending, std::vector<quint32> &order)
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
    std::vector<Keyed> keyed(n);
    std::vector<char16_t> folded;
    folded.reserve(n * 16);
    for (size_t i = 0; i < n; ++i) {
        const FileRow &r = rows_[i];
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

} // namespace

std::vector<quint32> sortedRowOrder(std::vector<FileRow> &rows, int column, int kind, bool ascending,
                                    const std::vector<quint32> &position)
{
    std::vector<quint32> order(rows.size());
    if (kind == SortText)
        orderByText(rows, position, column, ascending, order);
    else
        orderByValue(rows, position, column, kind, ascending, order);
    return order;
}
