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

quint32 sortRank(const FileRows &rows, size_t row, quint32 displayPosition)
{
    return (rows.isFolder(row) ? 0u : folderBit) | displayPosition;
}

inline char16_t foldCase(char16_t unit)
{
    if (unit < 0x80)
        return unit >= 'A' && unit <= 'Z' ? char16_t(unit + ('a' - 'A')) : unit;
    return QChar::toCaseFolded(unit);
}

// Thrown out of a sort that was told to give up; sortedRowOrder() catches it.
struct SortCancelled {
};

// Where the sort looks whether it should give up: often enough that a cancelled sort of a
// million rows ends within a millisecond or so.
class CancelCheck
{
public:
    explicit CancelCheck(const std::atomic<bool> *flag) : flag_(flag) {}
    void operator()() const
    {
        if (flag_ && flag_->load(std::memory_order_relaxed))
            throw SortCancelled{};
    }
    void every(size_t i, size_t step = 4096) const
    {
        if (i % step == 0)
            (*this)();
    }

private:
    const std::atomic<bool> *flag_;
};

// The key of a number or date column; read from the text when the row holds none, and then kept
// in `keep` when the caller lets the rows be written.
qint64 valueKey(const FileRows &rows, FileRows *keep, size_t row, int column, int kind)
{
    if (kind == SortNumber) {
        if (const std::optional<qint64> key = rows.numberKey(row, column))
            return *key;
        const qint64 value = sortNumberValue(rows.text(row, column));
        if (keep)
            keep->setNumberKey(row, column, value);
        return value;
    }
    if (kind == SortDateTime) {
        if (const std::optional<qint64> key = rows.dateKey(row, column))
            return *key;
        // A text that does not read as a date sorts as the earliest of all, so that the order
        // stays consistent.
        const qint64 value = datetimetext::parseDisplayed(rows.text(row, column));
        if (keep)
            keep->setDateKey(row, column, value);
        return value;
    }
    return 0;
}

void orderByValue(const FileRows &rows, FileRows *keep, const std::vector<quint32> &position, int column,
                  int kind, bool ascending, const CancelCheck &check, std::vector<quint32> &order)
{
    // Keys side by side in one array, so that the sort never leaves it.
    struct Keyed {
        qint64 key;
        quint32 rank; // see sortRank()
        quint32 index;
    };
    const size_t n = rows.size();
    std::vector<Keyed> keyed(n);
    for (size_t i = 0; i < n; ++i) {
        check.every(i);
        const qint64 key = valueKey(rows, keep, i, column, kind);
        // Bitwise NOT reverses the order of every value, the lowest included.
        keyed[i] = {ascending ? key : ~key, sortRank(rows, i, position[i]), quint32(i)};
    }
    std::sort(keyed.begin(), keyed.end(), [&check](const Keyed &a, const Keyed &b) {
        check();
        if ((a.rank ^ b.rank) & folderBit)
            return a.rank < b.rank;
        return a.key != b.key ? a.key < b.key : a.rank < b.rank;
    });
    for (size_t i = 0; i < n; ++i)
        order[i] = keyed[i].index;
}

void orderByText(const FileRows &rows, const std::vector<quint32> &position, int column, bool ascending,
                 const CancelCheck &check, std::vector<quint32> &order)
{
    // Every text is case-folded once into one buffer. Eight characters of each, packed into two
    // numbers kept beside the row index, decide most comparisons without reading the buffer; they
    // are taken after the part that all texts share (a folder of "IMG_0001.JPG"...).
    struct Keyed {
        quint64 high;
        quint64 low;
        quint32 shared; // texts that share one copy (the same permission string) are equal
        quint32 offset;
        quint32 length;
        quint32 rank;
        quint32 index;
    };
    const size_t n = rows.size();
    std::vector<Keyed> keyed(n);
    // Sized once: a vector that doubles while a million names go in would hold three copies at
    // its peak.
    std::vector<char16_t> folded;
    size_t length = 0;
    for (size_t i = 0; i < n; ++i)
        length += size_t(rows.textLengthHint(i, column));
    folded.reserve(length);
    for (size_t i = 0; i < n; ++i) {
        check.every(i);
        const quint32 offset = quint32(folded.size());
        const QString text = rows.text(i, column);
        for (QChar c : text)
            folded.push_back(foldCase(c.unicode()));
        keyed[i] = {0,
                    0,
                    rows.sharedTextId(i, column),
                    offset,
                    quint32(folded.size() - offset),
                    sortRank(rows, i, position[i]),
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
        if (a.shared != 0 && a.shared == b.shared)
            return false;
        return std::u16string_view(base + a.offset, a.length) <
               std::u16string_view(base + b.offset, b.length);
    };
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        check();
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

std::vector<quint32> sortedRowOrder(FileRows &rows, int column, int kind, bool ascending,
                                    const std::vector<quint32> &position)
{
    std::vector<quint32> order(rows.size());
    const CancelCheck never(nullptr);
    if (kind == SortText)
        orderByText(rows, position, column, ascending, never, order);
    else
        orderByValue(rows, &rows, position, column, kind, ascending, never, order);
    return order;
}

std::optional<std::vector<quint32>> sortedRowOrder(const FileRows &rows, const RowOrder &by,
                                                   const std::vector<quint32> &position,
                                                   const std::atomic<bool> &cancel)
{
    std::vector<quint32> order(rows.size());
    const CancelCheck check(&cancel);
    try {
        if (by.kind == SortText)
            orderByText(rows, position, by.column, by.ascending, check, order);
        else
            orderByValue(rows, nullptr, position, by.column, by.kind, by.ascending, check, order);
    } catch (const SortCancelled &) {
        return std::nullopt;
    }
    return order;
}
