#include "session/queueitem.h"

#include <limits>

QueueItem QueueItem::fromParameter(int parameter)
{
    QueueItem item;
    item.direction = (parameter & 1) ? Download : Upload;
    item.isFolder = (parameter & 0xF0) != 0;
    return item;
}

qint64 QueueItem::sizeValue(QByteArrayView text)
{
    // Leading blanks and a sign as atol reads them; digits held at the limit rather than wrapped.
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',')
            continue;
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}
