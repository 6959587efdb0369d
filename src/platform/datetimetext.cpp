#include "platform/datetimetext.h"

#include <QHash>
#include <QLocale>
#include <QStringBuilder>
#include <QTime>

#include <array>
#include <vector>

namespace datetimetext
{
namespace
{

constexpr qint64 zeroJulianDay = 2415019; // 30 December 1899
constexpr int minutesPerDay = 24 * 60;
// The caches only bound memory; a listing with more distinct values just formats more.
constexpr qsizetype cacheLimit = 1 << 16;

QString widenYear(QString format)
{
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// Per thread: the worker formats while the window thread may parse. Each thread sees the
// locale as it was when it first needed it.
struct Texts {
    QLocale locale = QLocale::system();
    QString dateFormat = widenYear(locale.dateFormat(QLocale::ShortFormat));
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    std::array<QString, minutesPerDay> times;
    QHash<QString, qint64> parsedDates; // day number, or invalidKey
    QHash<QString, int> parsedTimes;    // minutes, or -1

    // Direct-mapped: a listing's dates cluster on few days, and a miss only costs one format.
    struct DaySlot {
        qint64 day = invalidKey;
        QString text;
    };
    std::vector<DaySlot> dates; // sized when first needed

    const QString &dateText(qint64 day)
    {
        if (dates.empty())
            dates.resize(1 << 15);
        DaySlot &slot = dates[size_t(day) & (dates.size() - 1)];
        if (slot.day != day) {
            slot.day = day;
            slot.text = locale.toString(QDate::fromJulianDay(day + zeroJulianDay), dateFormat);
        }
        return slot.text;
    }

    const QString &timeText(int minutes)
    {
        QString &text = times[minutes];
        if (text.isNull())
            text = locale.toString(QTime(minutes / 60, minutes % 60), timeFormat);
        return text;
    }

    qint64 parseDate(QStringView text)
    {
        const QString key = text.toString();
        auto it = parsedDates.constFind(key);
        if (it != parsedDates.constEnd())
            return *it;
        if (parsedDates.size() >= cacheLimit)
            parsedDates.clear();
        const QDate date = locale.toDate(key, dateFormat);
        const qint64 day = date.isValid() ? date.toJulianDay() - zeroJulianDay : invalidKey;
        parsedDates.insert(key, day);
        return day;
    }

    int parseTime(QStringView text)
    {
        const QString key = text.toString();
        auto it = parsedTimes.constFind(key);
        if (it != parsedTimes.constEnd())
            return *it;
        if (parsedTimes.size() >= cacheLimit)
            parsedTimes.clear();
        const QTime time = locale.toTime(key, timeFormat);
        const int minutes = time.isValid() ? time.hour() * 60 + time.minute() : -1;
        parsedTimes.insert(key, minutes);
        return minutes;
    }
};

Texts &texts()
{
    thread_local Texts t;
    return t;
}

} // namespace

Key makeKey(QDate date, int hour, int minute)
{
    if (!date.isValid())
        return invalidKey;
    return (date.toJulianDay() - zeroJulianDay) * minutesPerDay + hour * 60 + minute;
}

QString format(Key key)
{
    if (key == invalidKey)
        return QString();
    Texts &t = texts();
    const qint64 day = key >= 0 ? key / minutesPerDay : -((-key + minutesPerDay - 1) / minutesPerDay);
    const int minutes = int(key - day * minutesPerDay);
    if (key == zeroKey)
        return t.timeText(0);
    // QLocale's own formatter behind the caches: a listing's dates cluster on few days and its
    // times repeat, so most rows cost one concatenation.
    if (minutes == 0)
        return t.dateText(day);
    // Built in one allocation: most rows of a machine listing carry a time.
    return QString(t.dateText(day) % QLatin1Char(' ') % t.timeText(minutes));
}

Key parseDisplayed(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return invalidKey;
    Texts &t = texts();
    // The date and the time may each hold blanks ("11:05 AM"), so try every split.
    for (qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0;
         blank = text.indexOf(QLatin1Char(' '), blank + 1)) {
        const qint64 day = t.parseDate(text.left(blank));
        if (day == invalidKey)
            continue;
        const int minutes = t.parseTime(text.mid(blank + 1).trimmed());
        if (minutes >= 0)
            return day * minutesPerDay + minutes;
    }
    const qint64 day = t.parseDate(text);
    if (day != invalidKey)
        return day * minutesPerDay;
    const int minutes = t.parseTime(text);
    return minutes >= 0 ? zeroKey + minutes : invalidKey;
}

} // namespace datetimetext
