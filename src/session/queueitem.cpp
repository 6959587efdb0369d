#include "session/queueitem.h"

#include "platform/log.h"
#include "platform/uitext.h"

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

namespace
{

bool hasLineBreak(const QByteArray &path)
{
    return path.contains('\r') || path.contains('\n') || path.contains('\0');
}

} // namespace

bool QueueItem::refusedForLineBreak() const
{
    if (!hasLineBreak(name) && !hasLineBreak(destination))
        return false;
    // Written as \r, \n and \0: the log line must stay one line.
    QByteArray shown = hasLineBreak(name) ? name : destination;
    shown.replace('\r', "\\r").replace('\n', "\\n").replace(QByteArray(1, '\0'), "\\0");
    AppendLog(UiText::tr("Refused %1: its path holds a line break\n").arg(QString::fromUtf8(shown)),
              LogColor::Error);
    return true;
}
