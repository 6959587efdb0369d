#include "platform/filerow.h"

#include "platform/datetimetext.h"

#include <limits>

namespace
{

bool isAsciiSpace(QChar c)
{
    return c == QLatin1Char(' ') || (c.unicode() >= '\t' && c.unicode() <= '\r');
}

} // namespace

qint64 sortNumberValue(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (isAsciiSpace(text[i]) || text[i] == QLatin1Char(',')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(','))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (value > (limit - digit) / 10) {
            value = limit;
            // Keep reading digits: the value stays held at the limit.
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

QString groupedNumberText(qint64 value)
{
    QString digits = QString::number(value);
    const int signLength = value < 0 ? 1 : 0;
    for (qsizetype at = digits.size() - 3; at > signLength; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

void FileRow::setDateText(int column, qint64 key, const QString &shown)
{
    if (column < 0 || column >= keyColumns)
        return;
    texts[size_t(column)] = shown;
    setDateKey(column, key);
    dateTexts |= quint8(1u << column);
}

void FileRow::setDateText(int column, qint64 key)
{
    setDateText(column, key, datetimetext::format(key));
}
