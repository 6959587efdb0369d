#pragma once

#include <QByteArray>
#include <QString>

#include <QStringView>

#include <array>

// One row of a file list (the local and remote panes' lists): column texts, the item-data word,
// the icon, and the values its number and date columns sort by. The listing parser makes them and
// the list holds them as they are.
struct FileRow {
    static constexpr int folderItemData = 0xF2;
    static constexpr int fileItemData = 2;

    // The file lists have at most this many columns.
    static constexpr int maxColumns = 5;
    static constexpr int keyColumns = maxColumns;

    // Kept inside the row: a sort reads one text of every row, and one pointer less to follow
    // per row matters with a hundred thousand rows.
    std::array<QString, maxColumns> texts; // column 0 is the name as shown
    // The name's bytes when the shown name does not give them back (a remote name that is not
    // valid UTF-8 or holds control characters, shown escaped), else empty.
    QByteArray rawName;
    int itemData = 0;   // (itemData & 0xF0) == 0xF0 marks a folder
    int icon = -1;      // fileicons index, -1 for none

    // The values of number and date columns, read from the texts at most once (or given by
    // whoever made the row) so that sorting never parses a text in a comparison. Bit c of
    // numberKeys / dateKeys says that keys[c] holds that kind of value for column c.
    std::array<qint64, keyColumns> keys{};
    quint8 numberKeys = 0;
    quint8 dateKeys = 0;
    // Bit c: texts[c] is exactly datetimetext::format(keys[c]), so that a store of many rows may
    // keep the number alone and make the text again when it is shown.
    quint8 dateTexts = 0;

    bool isFolder() const { return (itemData & 0xF0) == 0xF0; }
    const QString &text(int column) const
    {
        static const QString none;
        return column >= 0 && column < maxColumns ? texts[size_t(column)] : none;
    }
    // The name byte for byte: what a command that names the file must send.
    QByteArray nameBytes() const { return rawName.isEmpty() ? texts[0].toUtf8() : rawName; }

    void setNumberKey(int column, qint64 value) { setKey(column, value, numberKeys); }
    void setDateKey(int column, qint64 value) { setKey(column, value, dateKeys); }
    // The column shows the date `key` as format() makes it; `shown` is that text when the caller
    // has it already.
    void setDateText(int column, qint64 key, const QString &shown);
    void setDateText(int column, qint64 key);
    void forgetKeys(int column)
    {
        const quint8 keep = quint8(~(1u << column));
        numberKeys &= keep;
        dateKeys &= keep;
        dateTexts &= keep;
    }

private:
    void setKey(int column, qint64 value, quint8 &mask)
    {
        if (column < 0 || column >= keyColumns)
            return;
        forgetKeys(column);
        keys[size_t(column)] = value;
        mask |= quint8(1u << column);
    }
};

// The value of a number column: "," removed, then read like atol (leading blanks, a sign, digits
// up to the first other character), held at the 64-bit limits instead of overflowing.
[[nodiscard]] qint64 sortNumberValue(QStringView text);

// A number with "," between groups of three digits, as the size columns show it.
[[nodiscard]] QString groupedNumberText(qint64 value);
