#include "engine/modifiedtimereply.h"

#include <QDate>
#include <QTime>

std::optional<QByteArray> ParseModifiedTimeReply(const QByteArray &reply)
{
    const QByteArray line = reply.trimmed();
    if (line.size() < 18 || !line.startsWith("213 "))
        return std::nullopt;
    QByteArray value = line.mid(4).trimmed();
    const qsizetype dot = value.indexOf('.');
    if (dot >= 0) {
        const QByteArray fraction = value.mid(dot + 1);
        if (fraction.isEmpty() || fraction.size() > 9)
            return std::nullopt;
        for (const char c : fraction) {
            if (c < '0' || c > '9')
                return std::nullopt;
        }
        value.truncate(dot);
    }
    if (value.size() != 14)
        return std::nullopt;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const auto number = [&value](int from, int length) { return value.mid(from, length).toInt(); };
    // A leap second (60) is a real time; anything else out of range is not.
    if (!QDate::isValid(number(0, 4), number(4, 2), number(6, 2)) || number(8, 2) > 23 || number(10, 2) > 59 ||
        number(12, 2) > 60)
        return std::nullopt;
    return value;
}
