#include "platform/filerows.h"

#include "platform/datetimetext.h"

#include <QStringView>

#include <algorithm>

namespace
{

// Whether `text` is what groupedNumberText(value) gives, without making that text.
bool showsNumber(QStringView text, qint64 value)
{
    char digits[32];
    int length = 0;
    // Built from the last digit; the magnitude as unsigned so that the lowest value has one.
    quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits[length++] = ',';
            inGroup = 0;
        }
        digits[length++] = char('0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude);
    if (value < 0)
        digits[length++] = '-';
    if (text.size() != length)
        return false;
    for (int i = 0; i < length; ++i)
        if (text[i].unicode() != char16_t(digits[length - 1 - i]))
            return false;
    return true;
}

} // namespace

FileRows::FileRows(std::initializer_list<FileRow> rows)
{
    reserve(rows.size());
    for (const FileRow &row : rows)
        push_back(row);
}

FileRows::FileRows(const std::vector<FileRow> &rows)
{
    reserve(rows.size());
    for (const FileRow &row : rows)
        push_back(row);
}

void FileRows::reserve(size_t rows)
{
    reserved_ = rows;
    heads_.reserve(rows);
    for (std::vector<Cell> &cells : cells_)
        if (!cells.empty())
            cells.reserve(rows);
    for (std::vector<qint64> &keys : keys_)
        if (!keys.empty())
            keys.reserve(rows);
}

FileRows::Cell FileRows::bytesCell(QByteArrayView bytes)
{
    const Cell cell{quint64(CellKind::Bytes), quint64(bytes.size()), quint64(bytes_.size())};
    bytes_.append(bytes);
    return cell;
}

FileRows::Cell FileRows::textCell(const QString &text, bool mayPool)
{
    if (text.isEmpty())
        return Cell{};
    // UTF-8 gives back every valid text exactly; a lone surrogate would not survive it.
    if (text.size() * 3 > qsizetype(maxCellLength) || !QStringView(text).isValidUtf16()) {
        long_.push_back(text);
        return Cell{quint64(CellKind::Long), 0, quint64(long_.size() - 1)};
    }
    if (mayPool && text.size() <= maxPooledLength) {
        const auto found = pooled_.constFind(text);
        if (found != pooled_.constEnd())
            return Cell{quint64(CellKind::Pooled), 0, *found};
        if (pool_.size() < maxPooled) {
            const quint32 id = quint32(pool_.size());
            pool_.push_back(text);
            pooled_.insert(text, id);
            return Cell{quint64(CellKind::Pooled), 0, id};
        }
    }
    return bytesCell(text.toUtf8());
}

void FileRows::push_back(const FileRow &row)
{
    const size_t at = heads_.size();
    heads_.push_back(Head{row.itemData, row.icon, row.numberKeys, row.dateKeys});
    for (int column = 0; column < FileRow::keyColumns; ++column) {
        std::vector<qint64> &keys = keys_[size_t(column)];
        const quint8 bit = quint8(1u << column);
        if ((row.numberKeys | row.dateKeys) & bit) {
            if (keys.empty())
                keys.reserve(std::max(reserved_, at + 1));
            if (keys.size() < at)
                keys.resize(at);
            keys.push_back(row.keys[size_t(column)]);
        } else if (!keys.empty()) {
            keys.push_back(0);
        }
    }
    for (int column = 0; column < cellColumns; ++column) {
        Cell cell{};
        const quint8 bit = quint8(1u << column);
        if (column == rawNameCell) {
            if (!row.rawName.isEmpty()) {
                if (quint64(row.rawName.size()) > maxCellLength) {
                    // Latin-1 keeps every byte as it is.
                    long_.push_back(QString::fromLatin1(row.rawName));
                    cell = Cell{quint64(CellKind::Long), 0, quint64(long_.size() - 1)};
                } else {
                    cell = bytesCell(row.rawName);
                }
            }
        } else {
            const QString &text = row.texts[size_t(column)];
            if (text.isEmpty())
                cell = Cell{};
            else if ((row.dateKeys & row.dateTexts & bit) != 0)
                cell = Cell{quint64(CellKind::DateShown), 0, 0};
            else if ((row.numberKeys & bit) != 0 && showsNumber(text, row.keys[size_t(column)]))
                cell = Cell{quint64(CellKind::NumberShown), 0, 0};
            else
                cell = textCell(text, column != 0);
        }
        std::vector<Cell> &cells = cells_[size_t(column)];
        if (!cells.empty() || cell.kind != quint64(CellKind::Empty)) {
            if (cells.empty())
                cells.reserve(std::max(reserved_, at + 1));
            if (cells.size() < at)
                cells.resize(at);
            cells.push_back(cell);
        }
    }
}

FileRows::Cell FileRows::cellOf(size_t row, int column) const
{
    const std::vector<Cell> &cells = cells_[size_t(column)];
    return cells.empty() ? Cell{} : cells[row];
}

void FileRows::setCell(size_t row, int column, Cell cell)
{
    std::vector<Cell> &cells = cells_[size_t(column)];
    if (cells.empty()) {
        if (cell.kind == quint64(CellKind::Empty))
            return;
        cells.resize(size());
    }
    dropCell(cells[row]);
    cells[row] = cell;
}

void FileRows::dropCell(Cell cell)
{
    if (cell.kind == quint64(CellKind::Bytes))
        unusedBytes_ += qsizetype(cell.length);
}

QString FileRows::cellText(size_t row, int column, Cell cell) const
{
    switch (CellKind(cell.kind)) {
    case CellKind::Empty:
        return QString();
    case CellKind::Bytes:
        return QString::fromUtf8(bytes_.constData() + cell.offset, qsizetype(cell.length));
    case CellKind::Pooled:
        return pool_[cell.offset];
    case CellKind::NumberShown:
        return groupedNumberText(keys_[size_t(column)][row]);
    case CellKind::DateShown:
        return datetimetext::format(keys_[size_t(column)][row]);
    case CellKind::Long:
        return long_[cell.offset];
    }
    return QString();
}

QString FileRows::text(size_t row, int column) const
{
    if (row >= size() || column < 0 || column >= FileRow::maxColumns)
        return QString();
    return cellText(row, column, cellOf(row, column));
}

QByteArray FileRows::nameBytes(size_t row) const
{
    const Cell raw = cellOf(row, rawNameCell);
    if (raw.kind == quint64(CellKind::Bytes))
        return QByteArray(bytes_.constData() + raw.offset, qsizetype(raw.length));
    if (raw.kind == quint64(CellKind::Long))
        return long_[raw.offset].toLatin1();
    const Cell name = cellOf(row, 0);
    if (name.kind == quint64(CellKind::Bytes))
        return QByteArray(bytes_.constData() + name.offset, qsizetype(name.length));
    return cellText(row, 0, name).toUtf8();
}

FileRow FileRows::at(size_t row) const
{
    FileRow r;
    const Head &head = heads_[row];
    r.itemData = head.itemData;
    r.icon = head.icon;
    r.numberKeys = head.numberKeys;
    r.dateKeys = head.dateKeys;
    for (int column = 0; column < FileRow::maxColumns; ++column) {
        const Cell cell = cellOf(row, column);
        r.texts[size_t(column)] = cellText(row, column, cell);
        if (cell.kind == quint64(CellKind::DateShown))
            r.dateTexts |= quint8(1u << column);
    }
    for (int column = 0; column < FileRow::keyColumns; ++column)
        if (!keys_[size_t(column)].empty())
            r.keys[size_t(column)] = keys_[size_t(column)][row];
    if (cellOf(row, rawNameCell).kind != quint64(CellKind::Empty))
        r.rawName = nameBytes(row);
    return r;
}

std::vector<FileRow> FileRows::toVector() const
{
    std::vector<FileRow> rows;
    rows.reserve(size());
    for (size_t i = 0; i < size(); ++i)
        rows.push_back(at(i));
    return rows;
}

void FileRows::setText(size_t row, int column, const QString &text)
{
    if (row >= size() || column < 0 || column >= FileRow::maxColumns)
        return;
    setCell(row, column, textCell(text, column != 0));
    const quint8 keep = quint8(~(1u << column));
    heads_[row].numberKeys &= keep;
    heads_[row].dateKeys &= keep;
    compactBytes();
}

void FileRows::insertColumn(int column)
{
    if (column < 0 || column >= FileRow::maxColumns)
        return;
    // Rare (a list's columns are set up before its rows come): rebuilt through FileRows.
    FileRows moved;
    moved.reserve(size());
    for (size_t i = 0; i < size(); ++i) {
        FileRow r = at(i);
        std::move_backward(r.texts.begin() + column, r.texts.end() - 1, r.texts.end());
        r.texts[size_t(column)] = QString();
        r.numberKeys = r.dateKeys = r.dateTexts = 0;
        moved.push_back(r);
    }
    *this = std::move(moved);
}

void FileRows::erase(size_t row)
{
    if (row >= size())
        return;
    heads_.erase(heads_.begin() + qsizetype(row));
    for (std::vector<Cell> &cells : cells_) {
        if (cells.empty())
            continue;
        dropCell(cells[row]);
        cells.erase(cells.begin() + qsizetype(row));
    }
    for (std::vector<qint64> &keys : keys_)
        if (!keys.empty())
            keys.erase(keys.begin() + qsizetype(row));
    compactBytes();
}

void FileRows::reorder(const std::vector<quint32> &order)
{
    if (order.size() != size())
        return;
    // One column at a time, so that the extra memory is one column's, not a second store.
    auto gather = [&order](auto &values) {
        if (values.empty())
            return;
        std::remove_reference_t<decltype(values)> moved;
        moved.reserve(values.size());
        for (quint32 from : order)
            moved.push_back(values[from]);
        values.swap(moved);
    };
    gather(heads_);
    for (std::vector<Cell> &cells : cells_)
        gather(cells);
    for (std::vector<qint64> &keys : keys_)
        gather(keys);
}

std::optional<qint64> FileRows::numberKey(size_t row, int column) const
{
    if (column < 0 || column >= FileRow::keyColumns || !(heads_[row].numberKeys & (1u << column)))
        return std::nullopt;
    return keys_[size_t(column)][row];
}

std::optional<qint64> FileRows::dateKey(size_t row, int column) const
{
    if (column < 0 || column >= FileRow::keyColumns || !(heads_[row].dateKeys & (1u << column)))
        return std::nullopt;
    return keys_[size_t(column)][row];
}

void FileRows::setNumberKey(size_t row, int column, qint64 value)
{
    setKey(row, column, value, false);
}

void FileRows::setDateKey(size_t row, int column, qint64 value)
{
    setKey(row, column, value, true);
}

void FileRows::setKey(size_t row, int column, qint64 value, bool date)
{
    if (row >= size() || column < 0 || column >= FileRow::keyColumns)
        return;
    // A text made from the key keeps its text of its own before the key changes.
    const Cell cell = cellOf(row, column);
    if (cell.kind == quint64(CellKind::NumberShown) || cell.kind == quint64(CellKind::DateShown))
        setCell(row, column, textCell(cellText(row, column, cell), column != 0));
    std::vector<qint64> &keys = keys_[size_t(column)];
    if (keys.empty())
        keys.resize(size());
    keys[row] = value;
    const quint8 bit = quint8(1u << column);
    Head &head = heads_[row];
    head.numberKeys = quint8(date ? head.numberKeys & ~bit : head.numberKeys | bit);
    head.dateKeys = quint8(date ? head.dateKeys | bit : head.dateKeys & ~bit);
}

qsizetype FileRows::textLengthHint(size_t row, int column) const
{
    if (row >= size() || column < 0 || column >= FileRow::maxColumns)
        return 0;
    const Cell cell = cellOf(row, column);
    switch (CellKind(cell.kind)) {
    case CellKind::Empty:
        return 0;
    case CellKind::Bytes:
        return qsizetype(cell.length); // a UTF-8 byte or more for every UTF-16 unit
    case CellKind::Pooled:
        return pool_[cell.offset].size();
    case CellKind::Long:
        return long_[cell.offset].size();
    case CellKind::NumberShown:
    case CellKind::DateShown:
        return 32; // "-9,223,372,036,854,775,808", or a date and time as locales write them
    }
    return 0;
}

quint32 FileRows::sharedTextId(size_t row, int column) const
{
    if (column < 0 || column >= FileRow::maxColumns)
        return 0;
    const Cell cell = cellOf(row, column);
    return cell.kind == quint64(CellKind::Pooled) ? quint32(cell.offset) + 1 : 0;
}

void FileRows::compactBytes()
{
    // Replaced and erased texts stay in the buffer until they are half of it.
    if (unusedBytes_ < 65536 || unusedBytes_ * 2 < bytes_.size())
        return;
    QByteArray kept;
    kept.reserve(bytes_.size() - unusedBytes_);
    for (std::vector<Cell> &cells : cells_) {
        for (Cell &cell : cells) {
            if (cell.kind != quint64(CellKind::Bytes))
                continue;
            const quint64 offset = quint64(kept.size());
            kept.append(bytes_.constData() + cell.offset, qsizetype(cell.length));
            cell.offset = offset;
        }
    }
    bytes_ = std::move(kept);
    unusedBytes_ = 0;
}

size_t FileRows::memoryBytes() const
{
    size_t bytes = heads_.capacity() * sizeof(Head) + size_t(bytes_.capacity());
    for (const std::vector<Cell> &cells : cells_)
        bytes += cells.capacity() * sizeof(Cell);
    for (const std::vector<qint64> &keys : keys_)
        bytes += keys.capacity() * sizeof(qint64);
    for (const QString &text : pool_)
        bytes += sizeof(QString) + size_t(text.capacity()) * 2 + 64;
    for (const QString &text : long_)
        bytes += sizeof(QString) + size_t(text.capacity()) * 2;
    return bytes;
}
