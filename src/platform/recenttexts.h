#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Texts that repeat from row to row (permission strings, dates) decoded once and shared: less
// memory, and the list sorts shared texts without comparing them.
class RecentTexts
{
public:
    using Decoder = QString (*)(QByteArrayView);
    explicit RecentTexts(Decoder decode) : decode_(decode) {}

    QString text(QByteArrayView bytes)
    {
        for (Slot &slot : slots_)
            if (slot.bytes == bytes)
                return slot.text;
        Slot &slot = slots_[next_++ % slots_.size()];
        slot.bytes = bytes.toByteArray();
        slot.text = decode_(bytes);
        return slot.text;
    }

private:
    struct Slot {
        QByteArray bytes;
        QString text;
    };
    Decoder decode_;
    std::array<Slot, 16> slots_;
    size_t next_ = 0;
};
