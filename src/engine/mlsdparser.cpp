#include "engine/mlsdparser.h"

#include "platform/datetimetext.h"

#include <QDate>

#include <array>
#include <ctime>
#include <limits>
#include <optional>
#include <vector>

namespace
{

// A size of more digits would not fit 64 bits.
constexpr qsizetype maxSizeDigits = 18;

bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

bool startsIgnoringCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.first(prefix.size()), prefix);
}

// What a line's facts say about the entry, as found.
struct Facts {
    QByteArrayView type;
    QByteArrayView size;
    QByteArrayView modify;
    QByteArrayView perm;
    QByteArrayView mode;
    bool hasSize = false;
    bool hasModify = false;
    bool hasPerm = false;
    bool hasMode = false;
};

// Calls `take` with each fact's name and value of the facts part (before the first blank). One
// pass over the bytes: the facts are short, and a search call for each ';' and '=' cost more.
template <typename Take> void forEachFact(QByteArrayView facts, Take take)
{
    const char *p = facts.data();
    const char *const end = p + facts.size();
    while (p < end) {
        const char *const start = p;
        const char *equals = nullptr;
        for (; p < end && *p != ';'; ++p)
            if (!equals && *p == '=')
                equals = p;
        if (equals && equals > start)
            take(QByteArrayView(start, equals), QByteArrayView(equals + 1, p));
        ++p;
    }
}

// The first of each fact counts, as FactValue reads it.
Facts readFacts(QByteArrayView part)
{
    Facts facts;
    bool hasType = false;
    forEachFact(part, [&](QByteArrayView name, QByteArrayView value) {
        const auto take = [&](const char *fact, QByteArrayView &field, bool &has) {
            if (has || !equalsIgnoringCase(name, fact))
                return;
            field = value;
            has = true;
        };
        // By length first: most facts of a line are none of these.
        switch (name.size()) {
        case 4:
            take("type", facts.type, hasType);
            take("size", facts.size, facts.hasSize);
            take("perm", facts.perm, facts.hasPerm);
            break;
        case 6:
            take("modify", facts.modify, facts.hasModify);
            break;
        case 9:
            take("unix.mode", facts.mode, facts.hasMode);
            break;
        default:
            break;
        }
    });
    return facts;
}

enum class Kind { File, Folder, Link, Skip };

Kind kindOf(const Facts &facts)
{
    const QByteArrayView type = facts.type;
    // A line without a type names a file: the name is what matters to the user.
    if (type.isEmpty() || equalsIgnoringCase(type, "file"))
        return Kind::File;
    if (equalsIgnoringCase(type, "dir"))
        return Kind::Folder;
    if (startsIgnoringCase(type, "os.unix=slink") || startsIgnoringCase(type, "os.unix=symlink"))
        return Kind::Link;
    return Kind::Skip; // cdir, pdir, devices and whatever else
}

int digitsAt(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = int(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t floorDiv(std::int64_t value, std::int64_t by)
{
    return value / by - (value % by < 0 ? 1 : 0);
}

// The zone's offset from UTC at a second, as the C library knows it; nothing when it cannot tell.
std::optional<long> offsetAt(std::int64_t utcSeconds)
{
    const std::time_t when = std::time_t(utcSeconds);
    std::tm local{};
    if (!localtime_r(&when, &local))
        return std::nullopt;
    return local.tm_gmtoff;
}

// The offset at a second, from a cache of whole days: asking the C library for every row was a
// tenth of the parse. A day whose two ends disagree holds a change of offset and is asked row by
// row. Another zone set since (tzset) empties the cache.
std::optional<long> cachedOffset(std::int64_t utcSeconds)
{
    struct Day {
        std::int64_t day = std::numeric_limits<std::int64_t>::min();
        long offset = 0;
    };
    // Direct-mapped on the day number: forty-five years of days each keep a slot of their own.
    thread_local std::vector<Day> days;
    thread_local const char *zoneName = nullptr;
    thread_local long zoneOffset = 0;
    if (days.empty() || zoneName != tzname[0] || zoneOffset != timezone) {
        days.assign(size_t(1) << 14, Day{});
        zoneName = tzname[0];
        zoneOffset = timezone;
    }
    const std::int64_t day = floorDiv(utcSeconds, 86400);
    Day &slot = days[size_t(day) & (days.size() - 1)];
    if (slot.day == day)
        return slot.offset;
    const std::optional<long> first = offsetAt(day * 86400);
    if (first && first == offsetAt(day * 86400 + 86399)) {
        slot = {day, *first};
        return first;
    }
    return offsetAt(utcSeconds);
}

// The local time of a UTC second, as the Date/Time column keys it.
datetimetext::Key localKey(std::int64_t utcSeconds)
{
    const std::optional<long> offset = cachedOffset(utcSeconds);
    if (!offset)
        return datetimetext::invalidKey;
    const std::int64_t local = utcSeconds + *offset;
    const std::int64_t days = floorDiv(local, 86400);
    const int minuteOfDay = int((local - days * 86400) / 60);
    constexpr std::int64_t julianDayOf1970 = 2440588;
    return datetimetext::makeKey(QDate::fromJulianDay(days + julianDayOf1970), minuteOfDay / 60,
                                 minuteOfDay % 60);
}

// "0755", "755", or "0o755" as servers written in Python send it: the permission bits, or -1.
int modeBits(QByteArrayView text)
{
    if (text.startsWith("0o") || text.startsWith("0O"))
        text = text.sliced(2);
    if (text.isEmpty() || text.size() > 6)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '7')
            return -1;
        value = value * 8 + (c - '0');
    }
    return value & 0777;
}

bool permHas(QByteArrayView perm, const char *letters)
{
    for (const char *l = letters; *l; ++l)
        for (char c : perm)
            if ((c | 0x20) == *l)
                return true;
    return false;
}

// "drwxr-xr-x" from the mode; without one, the user's own rights from perm, the rest unknown.
QString attributeText(Kind kind, const Facts &facts)
{
    const char type = kind == Kind::Folder ? 'd' : kind == Kind::Link ? 'l' : '-';
    int bits = facts.hasMode ? modeBits(facts.mode) : -1;
    if (bits < 0 && facts.hasPerm) {
        const bool folder = kind != Kind::File;
        bits = (permHas(facts.perm, folder ? "l" : "r") ? 0400 : 0) |
               (permHas(facts.perm, folder ? "cmp" : "wa") ? 0200 : 0) |
               (folder && permHas(facts.perm, "e") ? 0100 : 0);
    }
    if (bits < 0)
        bits = 0;
    // One text per kind and mode, made once: a listing repeats a few of them.
    thread_local std::array<QString, 3 * 512> made;
    QString &text = made[size_t((kind == Kind::Folder ? 1 : kind == Kind::Link ? 2 : 0) * 512 + bits)];
    if (text.isEmpty()) {
        char out[10] = {type};
        const char letters[3] = {'r', 'w', 'x'};
        for (int i = 0; i < 9; ++i)
            out[1 + i] = (bits & (0400 >> i)) ? letters[i % 3] : '-';
        text = QString::fromLatin1(out, 10);
    }
    return text;
}

} // namespace

std::optional<std::int64_t> ParseFactTime(QByteArrayView value)
{
    if (value.size() < 14)
        return std::nullopt;
    if (value.size() > 14) {
        // A fraction of a second: a "." and up to nine digits.
        if (value[14] != '.' || value.size() == 15 || value.size() > 24)
            return std::nullopt;
        for (qsizetype i = 15; i < value.size(); ++i)
            if (value[i] < '0' || value[i] > '9')
                return std::nullopt;
    }
    const int year = digitsAt(value, 0, 4), month = digitsAt(value, 4, 2), day = digitsAt(value, 6, 2);
    const int hour = digitsAt(value, 8, 2), minute = digitsAt(value, 10, 2), second = digitsAt(value, 12, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<QByteArrayView> FactValue(QByteArrayView line, QByteArrayView fact)
{
    const qsizetype blank = line.indexOf(' ');
    std::optional<QByteArrayView> found;
    forEachFact(blank < 0 ? line : line.first(blank), [&](QByteArrayView name, QByteArrayView value) {
        if (!found && equalsIgnoringCase(name, fact))
            found = value;
    });
    return found;
}

std::optional<FileEntry> ParseMlsdLine(QByteArrayView line, ListingState &state)
{
    // The facts end at the first blank; the name is all that follows it, blanks included.
    const qsizetype blank = line.indexOf(' ');
    if (blank < 0 || blank + 1 >= line.size()) {
        ++state.unnamedLines;
        return std::nullopt;
    }
    const QByteArrayView name = line.sliced(blank + 1);
    const Facts facts = readFacts(line.first(blank));
    const Kind kind = kindOf(facts);
    if (kind == Kind::Skip || name == "." || name == "..")
        return std::nullopt;

    FileEntry entry = MakeNamedRow(name, kind != Kind::File, state);
    if (kind == Kind::File && facts.hasSize) {
        const QByteArrayView size = facts.size;
        bool digits = !size.isEmpty() && size.size() <= maxSizeDigits;
        qint64 bytes = 0;
        for (char c : size) {
            digits = digits && c >= '0' && c <= '9';
            if (digits) // eighteen digits at most: no overflow
                bytes = bytes * 10 + (c - '0');
        }
        if (digits) {
            entry.texts[SizeColumn] = GroupedSizeText(size);
            entry.setNumberKey(SizeColumn, bytes);
        } else {
            ++state.unreadableFacts;
        }
    }
    datetimetext::Key date = datetimetext::invalidKey;
    if (facts.hasModify) {
        if (const std::optional<std::int64_t> seconds = ParseFactTime(facts.modify))
            date = localKey(*seconds);
        if (date == datetimetext::invalidKey)
            ++state.unreadableFacts;
    }
    entry.setDateText(DateTimeColumn, date);
    entry.texts[AttributeColumn] = attributeText(kind, facts);
    return entry;
}
