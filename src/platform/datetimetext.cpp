#include "platform/datetimetext.h"

#include <QHash>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
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

// A date or time format of the locale compiled for the numeric fields a listing needs, so that
// a hundred thousand rows format without going through the general formatter. Formats with day
// names or other digits than 0-9 are left to QLocale.
class Pattern
{
public:
    static std::optional<Pattern> compile(const QString &format, const QLocale &locale)
    {
        if (locale.zeroDigit() != QLatin1String("0"))
            return std::nullopt;
        Pattern pattern;
        const bool twelveHour = format.contains(QLatin1Char('a'), Qt::CaseInsensitive);
        for (qsizetype i = 0; i < format.size();) {
            const QChar c = format[i];
            qsizetype run = 1;
            while (i + run < format.size() && format[i + run] == c)
                ++run;
            if (c == QLatin1Char('\'')) {
                const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
                if (close == i + 1) { // '' is one quote
                    pattern.literal(u"'");
                    i += 2;
                    continue;
                }
                if (close < 0)
                    return std::nullopt;
                pattern.literal(QStringView(format).mid(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
            Field field;
            if (!c.isLetter()) {
                pattern.literal(QStringView(format).mid(i, 1));
                i += 1;
                continue;
            }
            const char16_t letter = c.unicode();
            if (letter == 'd' && run <= 2)
                field = {Field::Day, int(run)};
            else if (letter == 'M' && run <= 2)
                field = {Field::Month, int(run)};
            else if (letter == 'M' && run <= 4)
                field = {run == 3 ? Field::MonthShortName : Field::MonthLongName, int(run)};
            else if (letter == 'y' && (run == 2 || run == 4))
                field = {run == 2 ? Field::Year2 : Field::Year4, int(run)};
            else if (letter == 'H' && run <= 2)
                field = {Field::Hour24, int(run)};
            else if (letter == 'h' && run <= 2)
                field = {twelveHour ? Field::Hour12 : Field::Hour24, int(run)};
            else if (letter == 'm' && run <= 2)
                field = {Field::Minute, int(run)};
            else if (letter == 's' && run <= 2)
                field = {Field::Second, int(run)};
            else if ((format.mid(i, 2) == QLatin1String("AP") || format.mid(i, 2) == QLatin1String("ap")))
                field = {letter == 'A' ? Field::AmPmUpper : Field::AmPmLower, 2};
            else if ((letter == 'A' || letter == 'a') && run == 1 &&
                     !(i + 1 < format.size() &&
                       (format[i + 1] == QLatin1Char('p') || format[i + 1] == QLatin1Char('P'))))
                field = {letter == 'A' ? Field::AmPmUpper : Field::AmPmLower, 1};
            else
                return std::nullopt;
            pattern.fields_.push_back(field);
            i += field.kind == Field::AmPmUpper || field.kind == Field::AmPmLower ? field.width : run;
        }
        for (int m = 1; m <= 12; ++m) {
            pattern.shortMonths_[size_t(m - 1)] = locale.monthName(m, QLocale::ShortFormat);
            pattern.longMonths_[size_t(m - 1)] = locale.monthName(m, QLocale::LongFormat);
        }
        pattern.amUpper_ = locale.amText().toUpper();
        pattern.pmUpper_ = locale.pmText().toUpper();
        pattern.amLower_ = locale.amText().toLower();
        pattern.pmLower_ = locale.pmText().toLower();
        return pattern;
    }

    // Appends the text of the date (or, for a time format, of the time) to `out`.
    void append(std::u16string &out, int year, int month, int day, int hour, int minute) const
    {
        for (const Field &f : fields_) {
            switch (f.kind) {
            case Field::Literal:
                out.append(reinterpret_cast<const char16_t *>(literals_.constData()) + f.offset,
                           size_t(f.width));
                break;
            case Field::Day:
                number(out, day, f.width);
                break;
            case Field::Month:
                number(out, month, f.width);
                break;
            case Field::MonthShortName:
            case Field::MonthLongName: {
                const QString &name =
                    (f.kind == Field::MonthShortName ? shortMonths_
                                                     : longMonths_)[size_t(std::clamp(month, 1, 12) - 1)];
                out.append(reinterpret_cast<const char16_t *>(name.constData()), size_t(name.size()));
                break;
            }
            case Field::Year2:
                number(out, ((year % 100) + 100) % 100, 2);
                break;
            case Field::Year4:
                number(out, year, 4);
                break;
            case Field::Hour24:
                number(out, hour, f.width);
                break;
            case Field::Hour12:
                number(out, hour % 12 == 0 ? 12 : hour % 12, f.width);
                break;
            case Field::Minute:
                number(out, minute, f.width);
                break;
            case Field::Second:
                number(out, 0, f.width);
                break;
            case Field::AmPmUpper:
            case Field::AmPmLower: {
                const QString &text = f.kind == Field::AmPmUpper ? (hour < 12 ? amUpper_ : pmUpper_)
                                                                 : (hour < 12 ? amLower_ : pmLower_);
                out.append(reinterpret_cast<const char16_t *>(text.constData()), size_t(text.size()));
                break;
            }
            }
        }
    }

private:
    struct Field {
        enum Kind {
            Literal,
            Day,
            Month,
            MonthShortName,
            MonthLongName,
            Year2,
            Year4,
            Hour24,
            Hour12,
            Minute,
            Second,
            AmPmUpper,
            AmPmLower
        };
        Kind kind = Literal;
        int width = 0;
        int offset = 0; // of a literal in literals_
    };

    void literal(QStringView text)
    {
        fields_.push_back({Field::Literal, int(text.size()), int(literals_.size())});
        literals_ += text;
    }

    static void number(std::u16string &out, int value, int width)
    {
        if (value < 0) {
            out.push_back(u'-');
            value = -value;
        }
        char16_t digits[12];
        int n = 0;
        do {
            digits[n++] = char16_t(u'0' + value % 10);
            value /= 10;
        } while (value);
        for (int pad = n; pad < width; ++pad)
            out.push_back(u'0');
        while (n)
            out.push_back(digits[--n]);
    }

    std::vector<Field> fields_;
    QString literals_;
    std::array<QString, 12> shortMonths_, longMonths_;
    QString amUpper_, pmUpper_, amLower_, pmLower_;
};

// Per thread: the worker formats while the window thread may parse. Each thread sees the
// locale as it was when it first needed it.
struct Texts {
    QLocale locale = QLocale::system();
    QString dateFormat = widenYear(locale.dateFormat(QLocale::ShortFormat));
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    std::optional<Pattern> datePattern = Pattern::compile(dateFormat, locale);
    std::optional<Pattern> timePattern = Pattern::compile(timeFormat, locale);
    std::u16string buffer;
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
    if (!t.datePattern || (minutes != 0 && !t.timePattern)) {
        if (minutes == 0)
            return t.dateText(day);
        return t.dateText(day) + QLatin1Char(' ') + t.timeText(minutes);
    }
    int year, month, dayOfMonth;
    QDate::fromJulianDay(day + zeroJulianDay).getDate(&year, &month, &dayOfMonth);
    t.buffer.clear();
    t.datePattern->append(t.buffer, year, month, dayOfMonth, 0, 0);
    if (minutes != 0) {
        t.buffer.push_back(u' ');
        t.timePattern->append(t.buffer, 0, 0, 0, minutes / 60, minutes % 60);
    }
    return QString(reinterpret_cast<const QChar *>(t.buffer.data()), qsizetype(t.buffer.size()));
}

QString formatWithPattern(const QLocale &locale, const QString &format, QDate date, int hour, int minute)
{
    const std::optional<Pattern> pattern = Pattern::compile(format, locale);
    if (!pattern)
        return QString();
    std::u16string out;
    pattern->append(out, date.year(), date.month(), date.day(), hour, minute);
    return QString(reinterpret_cast<const QChar *>(out.data()), qsizetype(out.size()));
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
