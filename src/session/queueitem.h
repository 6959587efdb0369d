#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One pending transfer. Paths travel as bytes, exactly as the source pane or the queue file gave
// them (a remote name need not be valid UTF-8); the size is the source pane's display text.
struct QueueItem {
    enum Direction : int { Upload = 0, Download = 1 };

    // A name or destination must fit the queue file's 260-byte field with its terminator.
    static constexpr qsizetype maxPathBytes = 259;

    QByteArray name;        // full source path
    QByteArray sizeText;    // "1,234,567"; empty for a folder
    QByteArray destination; // the folder the item goes into
    Direction direction = Download;
    bool isFolder = false;

    // The row's parameter word: bit 0 the direction, bits 4 to 7 set for a folder.
    [[nodiscard]] int itemParameter() const
    {
        return (isFolder ? 0xF0 : 0) | (direction == Download ? 1 : 0);
    }
    [[nodiscard]] static QueueItem fromParameter(int parameter);
    // The size as a number: "," removed, leading digits read as 64-bit; no digits gives 0.
    [[nodiscard]] qint64 size() const { return sizeValue(sizeText); }
    [[nodiscard]] static qint64 sizeValue(QByteArrayView text);
    // Both paths fit their fields.
    [[nodiscard]] bool fitsQueueFile() const
    {
        return name.size() <= maxPathBytes && destination.size() <= maxPathBytes;
    }

    // A CR, LF or NUL anywhere in either path: sent in a command, it would end the command there
    // and make the rest another one. Such an item is told in the log in red, and true returned.
    [[nodiscard]] bool refusedForLineBreak() const;

    bool operator==(const QueueItem &) const = default;
};
