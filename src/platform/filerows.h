#pragma once

#include "platform/filerow.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <initializer_list>
#include <optional>
#include <vector>

// The rows of a file list, stored for a folder of a million entries: names and other texts as
// UTF-8 in one buffer, sizes and dates as the numbers they show (their texts made again when
// asked for), repeated short texts such as permissions once. A FileRow goes in and comes out
// with the same texts, name bytes and sort keys. Rows are addressed by where they are stored.
class FileRows
{
public:
    FileRows() = default;
    // From rows built one by one, in that order.
    FileRows(std::initializer_list<FileRow> rows);
    FileRows(const std::vector<FileRow> &rows);

    [[nodiscard]] size_t size() const { return heads_.size(); }
    [[nodiscard]] bool empty() const { return heads_.empty(); }
    void reserve(size_t rows);
    void push_back(const FileRow &row);
    void clear() { *this = FileRows(); }

    // The row as a FileRow, made anew.
    [[nodiscard]] FileRow at(size_t row) const;
    [[nodiscard]] std::vector<FileRow> toVector() const;

    [[nodiscard]] QString text(size_t row, int column) const;
    // The name byte for byte, as FileRow::nameBytes().
    [[nodiscard]] QByteArray nameBytes(size_t row) const;
    [[nodiscard]] int itemData(size_t row) const { return heads_[row].itemData; }
    [[nodiscard]] bool isFolder(size_t row) const { return (heads_[row].itemData & 0xF0) == 0xF0; }
    [[nodiscard]] int icon(size_t row) const { return heads_[row].icon; }

    // Replaces one text; the column's sort key is read again when next needed.
    void setText(size_t row, int column, const QString &text);
    // Moves the texts of columns at and after `column` one to the right (the last drops off),
    // leaves `column` empty and forgets every sort key.
    void insertColumn(int column);
    void erase(size_t row);
    // Row k becomes the row that was stored at order[k]; order holds every index once.
    void reorder(const std::vector<quint32> &order);

    // The sort key of a column when the row holds one (see FileRow::keys).
    [[nodiscard]] std::optional<qint64> numberKey(size_t row, int column) const;
    [[nodiscard]] std::optional<qint64> dateKey(size_t row, int column) const;
    void setNumberKey(size_t row, int column, qint64 value);
    void setDateKey(size_t row, int column, qint64 value);
    // Room to reserve for text(row, column) in UTF-16 units, without making the text: enough for
    // every stored text, a generous guess for the texts made from a key.
    [[nodiscard]] qsizetype textLengthHint(size_t row, int column) const;
    // Equal non-zero values mean equal texts: the same stored copy of a repeated text.
    [[nodiscard]] quint32 sharedTextId(size_t row, int column) const;

    // The heap this store holds, for the benchmarks.
    [[nodiscard]] size_t memoryBytes() const;

private:
    // Where a column's text is. Empty cells cost their eight bytes only once any row of the
    // column has a text.
    enum class CellKind : quint64 {
        Empty = 0,
        Bytes = 1,       // UTF-8 (or, for the raw name, the name's own bytes) at offset in bytes_
        Pooled = 2,      // pool_[offset]
        NumberShown = 3, // groupedNumberText of the column's number key
        DateShown = 4,   // datetimetext::format of the column's date key
        Long = 5,        // long_[offset]: too long for a cell, or not valid UTF-16
    };
    struct Cell {
        quint64 kind : 3;
        quint64 length : 21;
        quint64 offset : 40;
    };
    struct Head {
        qint32 itemData;
        qint32 icon;
        quint8 numberKeys;
        quint8 dateKeys;
    };
    static constexpr int rawNameCell = FileRow::maxColumns;
    static constexpr int cellColumns = FileRow::maxColumns + 1;
    static constexpr quint64 maxCellLength = (quint64(1) << 21) - 1;
    static constexpr size_t maxPooled = 4096;
    static constexpr qsizetype maxPooledLength = 24;

    [[nodiscard]] Cell cellOf(size_t row, int column) const;
    void setCell(size_t row, int column, Cell cell);
    [[nodiscard]] Cell textCell(const QString &text, bool mayPool);
    [[nodiscard]] Cell bytesCell(QByteArrayView bytes);
    [[nodiscard]] QString cellText(size_t row, int column, Cell cell) const;
    void setKey(size_t row, int column, qint64 value, bool date);
    void dropCell(Cell cell);
    void compactBytes();

    size_t reserved_ = 0; // given to a column's vectors when they are first made
    std::vector<Head> heads_;
    std::array<std::vector<Cell>, cellColumns> cells_;
    std::array<std::vector<qint64>, FileRow::keyColumns> keys_;
    QByteArray bytes_;
    qsizetype unusedBytes_ = 0; // in bytes_, left by texts replaced or rows erased
    std::vector<QString> pool_;
    QHash<QString, quint32> pooled_;
    std::vector<QString> long_;
};
