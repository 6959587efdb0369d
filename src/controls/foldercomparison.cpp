#include "controls/foldercomparison.h"

#include "platform/datetimetext.h"

#include <algorithm>

namespace
{

constexpr int sizeColumn = 1;
constexpr int dateColumn = 2;
constexpr int attributeColumn = 3;
constexpr qint64 minutesPerDay = 24 * 60;

struct CancelledError {
};

struct Entry {
    QByteArray name;
    quint32 row;
};

// The name a row stands for: a link shows "name -> target".
QByteArray entryName(const FileRows &rows, size_t row)
{
    QByteArray name = rows.nameBytes(row);
    if (rows.text(row, attributeColumn).startsWith(QLatin1Char('l'))) {
        const qsizetype arrow = name.indexOf(" ->");
        if (arrow >= 0)
            name.truncate(arrow);
    }
    return name;
}

std::vector<Entry> sortedEntries(const FileRows &rows, const std::atomic<bool> *cancelled)
{
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        if (cancelled && row % 4096 == 0 && cancelled->load(std::memory_order_relaxed))
            throw CancelledError{};
        entries.push_back({entryName(rows, row), quint32(row)});
    }
    // A million names take the sort a second: it looks at the flag on its way too.
    size_t comparisons = 0;
    std::sort(entries.begin(), entries.end(), [&comparisons, cancelled](const Entry &a, const Entry &b) {
        if (cancelled && ++comparisons % 65536 == 0 && cancelled->load(std::memory_order_relaxed))
            throw CancelledError{};
        return a.name < b.name || (a.name == b.name && a.row < b.row);
    });
    return entries;
}

qint64 sizeOf(const FileRows &rows, size_t row)
{
    if (const std::optional<qint64> key = rows.numberKey(row, sizeColumn))
        return *key;
    return sortNumberValue(rows.text(row, sizeColumn));
}

datetimetext::Key timeOf(const FileRows &rows, size_t row)
{
    if (const std::optional<qint64> key = rows.dateKey(row, dateColumn))
        return *key;
    return datetimetext::parseDisplayed(rows.text(row, dateColumn));
}

bool knownTime(datetimetext::Key key)
{
    return key != datetimetext::invalidKey && key != datetimetext::zeroKey;
}

// Which side is later: a time at midnight is what a listing line shows for a date alone, so two
// times are then set side by side by their days.
int compareTimes(datetimetext::Key left, datetimetext::Key right)
{
    if (!knownTime(left) || !knownTime(right))
        return 0;
    if (left % minutesPerDay == 0 || right % minutesPerDay == 0) {
        left /= minutesPerDay;
        right /= minutesPerDay;
    }
    return left < right ? -1 : left > right ? 1 : 0;
}

void markPair(const FileRows &left, size_t l, const FileRows &right, size_t r, ComparedFolders &marks)
{
    RowMark &leftMark = marks.left[l];
    RowMark &rightMark = marks.right[r];
    const bool leftFolder = left.isFolder(l);
    if (leftFolder != right.isFolder(r)) {
        leftMark = rightMark = RowMark::OnlyHere;
        return;
    }
    if (leftFolder)
        return;
    if (sizeOf(left, l) != sizeOf(right, r)) {
        leftMark = rightMark = RowMark::SizeDiffers;
        return;
    }
    const int later = compareTimes(timeOf(left, l), timeOf(right, r));
    if (later > 0) {
        leftMark = RowMark::Newer;
        rightMark = RowMark::Older;
    } else if (later < 0) {
        leftMark = RowMark::Older;
        rightMark = RowMark::Newer;
    }
}

} // namespace

std::optional<ComparedFolders> compareFolderRows(const FileRows &left, const FileRows &right,
                                                 const std::atomic<bool> *cancelled)
{
    try {
        const std::vector<Entry> a = sortedEntries(left, cancelled);
        const std::vector<Entry> b = sortedEntries(right, cancelled);
        ComparedFolders marks;
        // Every row is alone until its partner is found.
        marks.left.assign(left.size(), RowMark::OnlyHere);
        marks.right.assign(right.size(), RowMark::OnlyHere);
        size_t i = 0;
        size_t j = 0;
        while (i < a.size() && j < b.size()) {
            if (cancelled && (i + j) % 4096 == 0 && cancelled->load(std::memory_order_relaxed))
                return std::nullopt;
            if (a[i].name < b[j].name) {
                ++i;
            } else if (b[j].name < a[i].name) {
                ++j;
            } else {
                marks.left[a[i].row] = RowMark::Same;
                marks.right[b[j].row] = RowMark::Same;
                markPair(left, a[i].row, right, b[j].row, marks);
                ++i;
                ++j;
            }
        }
        return marks;
    } catch (const CancelledError &) {
        return std::nullopt;
    }
}
