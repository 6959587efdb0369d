#include "engine/listingparser.h"

#include "engine/mlsdparser.h"

#include "platform/fileicons.h"
#include "platform/namecodec.h"
#include "platform/recenttexts.h"

#include <QDate>

#include <array>
#include <cstring>

namespace
{

using datetimetext::Key;

constexpr std::array<const char *, 12> monthTokens = {"Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ",
                                                      "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec "};

// The Korean date words of ls in a Korean locale, each with its trailing blank.
struct KoreanWords {
    QByteArrayView day, month, year;
};
constexpr KoreanWords koreanCp949{"\xC0\xCF ", "\xBF\xF9 ", "\xB3\xE2 "};
constexpr KoreanWords koreanUtf8{"\xEC\x9D\xBC ", "\xEC\x9B\x94 ", "\xEB\x85\x84 "};

const KoreanWords &koreanWords(const ListingState &state)
{
    return state.koreanUtf8 ? koreanUtf8 : koreanCp949;
}

// The month token at `pos`, 1..12, or 0.
int monthTokenAt(QByteArrayView line, qsizetype pos)
{
    if (pos + 4 > line.size() || line[pos + 3] != ' ')
        return 0;
    const char *p = line.data() + pos;
    for (size_t m = 0; m < monthTokens.size(); ++m)
        if (p[0] == monthTokens[m][0] && p[1] == monthTokens[m][1] && p[2] == monthTokens[m][2])
            return int(m) + 1;
    return 0;
}

bool isBlank(char c)
{
    return c == ' ';
}

int digitsValue(QByteArrayView text, qsizetype &pos, int maxDigits)
{
    int value = 0;
    int count = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count ? value : -1;
}

void skipBlanks(QByteArrayView text, qsizetype &pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
}

bool onlyBlanksFrom(QByteArrayView text, qsizetype pos)
{
    skipBlanks(text, pos);
    return pos >= text.size();
}

// "hh:mm" with an optional AM/PM; returns minutes of the day or -1.
int parseTime(QByteArrayView text, qsizetype &pos)
{
    int hour = digitsValue(text, pos, 2);
    if (hour < 0 || pos >= text.size() || text[pos] != ':')
        return -1;
    ++pos;
    const int minute = digitsValue(text, pos, 2);
    if (minute < 0 || minute > 59)
        return -1;
    skipBlanks(text, pos);
    if (pos + 1 < text.size() && (text[pos + 1] == 'M' || text[pos + 1] == 'm')) {
        const char ap = text[pos];
        if (ap == 'A' || ap == 'a' || ap == 'P' || ap == 'p') {
            if (hour < 1 || hour > 12)
                return -1;
            hour %= 12;
            if (ap == 'P' || ap == 'p')
                hour += 12;
            pos += 2;
        }
    }
    if (hour > 23)
        return -1;
    return hour * 60 + minute;
}

int twoDigitYear(int year)
{
    return year < 30 ? 2000 + year : 1900 + year;
}

Key makeKey(int year, int month, int day, int minutes)
{
    if (!QDate::isValid(year, month, day))
        return datetimetext::invalidKey;
    return datetimetext::makeKey(QDate(year, month, day), minutes / 60, minutes % 60);
}

// "Jan 26 11:05" or "Jan 26  2000".
Key parseMonthNameDate(QByteArrayView text, int currentYear)
{
    qsizetype pos = 0;
    skipBlanks(text, pos);
    int month = 0;
    if (pos + 3 <= text.size()) {
        const char name[3] = {char(text[pos] | 0x20), char(text[pos + 1] | 0x20), char(text[pos + 2] | 0x20)};
        for (size_t m = 0; m < monthTokens.size() && !month; ++m)
            if (name[0] == (monthTokens[m][0] | 0x20) && name[1] == monthTokens[m][1] &&
                name[2] == monthTokens[m][2])
                month = int(m) + 1;
    }
    if (!month)
        return datetimetext::invalidKey;
    pos += 3;
    skipBlanks(text, pos);
    const int day = digitsValue(text, pos, 2);
    if (day < 0)
        return datetimetext::invalidKey;
    skipBlanks(text, pos);
    qsizetype probe = pos;
    const int yearOrHour = digitsValue(text, probe, 4);
    if (yearOrHour < 0)
        return datetimetext::invalidKey;
    if (probe < text.size() && text[probe] == ':') {
        const int minutes = parseTime(text, pos);
        if (minutes < 0 || !onlyBlanksFrom(text, pos))
            return datetimetext::invalidKey;
        return makeKey(currentYear, month, day, minutes);
    }
    if (probe - pos != 4 || !onlyBlanksFrom(text, probe))
        return datetimetext::invalidKey;
    return makeKey(yearOrHour, month, day, 0);
}

// "10-26-00  11:05AM" (also with a four-digit year, or "/" between the numbers).
Key parseDosDate(QByteArrayView text)
{
    qsizetype pos = 0;
    skipBlanks(text, pos);
    const int month = digitsValue(text, pos, 2);
    if (month < 0 || pos >= text.size() || (text[pos] != '-' && text[pos] != '/'))
        return datetimetext::invalidKey;
    ++pos;
    const int day = digitsValue(text, pos, 2);
    if (day < 0 || pos >= text.size() || (text[pos] != '-' && text[pos] != '/'))
        return datetimetext::invalidKey;
    ++pos;
    const qsizetype yearStart = pos;
    int year = digitsValue(text, pos, 4);
    if (year < 0)
        return datetimetext::invalidKey;
    if (pos - yearStart <= 2)
        year = twoDigitYear(year);
    skipBlanks(text, pos);
    int minutes = 0;
    if (pos < text.size()) {
        minutes = parseTime(text, pos);
        if (minutes < 0 || !onlyBlanksFrom(text, pos))
            return datetimetext::invalidKey;
    }
    return makeKey(year, month, day, minutes);
}

// "10월 26일 11:05" or "2000년 10월 26일", in CP949 or UTF-8.
Key parseKoreanDate(QByteArrayView text, const KoreanWords &words, int currentYear)
{
    int year = currentYear, month = -1, day = -1, minutes = 0;
    qsizetype pos = 0;
    auto wordAt = [&](QByteArrayView word) {
        const QByteArrayView bare = word.first(word.size() - 1); // the word may end the text
        if (text.sliced(pos).startsWith(bare)) {
            pos += bare.size();
            return true;
        }
        return false;
    };
    while (true) {
        skipBlanks(text, pos);
        if (pos >= text.size())
            break;
        qsizetype probe = pos;
        const int number = digitsValue(text, probe, 4);
        if (number < 0)
            return datetimetext::invalidKey;
        if (probe < text.size() && text[probe] == ':') {
            minutes = parseTime(text, pos);
            if (minutes < 0)
                return datetimetext::invalidKey;
            continue;
        }
        pos = probe;
        if (wordAt(words.year))
            year = number;
        else if (wordAt(words.month))
            month = number;
        else if (wordAt(words.day))
            day = number;
        else
            return datetimetext::invalidKey;
    }
    return makeKey(year, month, day, minutes);
}

QByteArray groupDigits(QByteArrayView text)
{
    QByteArray out;
    const qsizetype n = text.size();
    out.reserve(n + n / 3);
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(',');
        out.append(text[i]);
    }
    return out;
}

// The size text as shown, grouped: usually plain ASCII digits, made without a detour through bytes.
QString groupedSizeText(QByteArrayView field)
{
    for (char c : field)
        if (static_cast<unsigned char>(c) >= 0x80)
            return namecodec::decodeName(groupDigits(field));
    const qsizetype n = field.size();
    QString out(n + (n > 0 ? (n - 1) / 3 : 0), Qt::Uninitialized);
    QChar *p = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            *p++ = QLatin1Char(',');
        *p++ = QLatin1Char(field[i]);
    }
    return out;
}

// The ungrouped size field of a line (see FormatSize).
QByteArrayView sizeField(QByteArrayView line, const ListingState &state)
{
    qsizetype end;
    if (state.serverKind == ServerKind::Microsoft) {
        end = 37;
    } else if (state.nameColumn == 0) {
        return line;
    } else if (state.koreanDates) {
        const KoreanWords &words = koreanWords(state);
        qsizetype word;
        if (line.contains(':')) {
            word = line.indexOf(words.month);
            end = word - 4;
        } else {
            word = line.indexOf(words.year);
            end = word - 6;
        }
        if (word < 0)
            return line;
    } else {
        end = qsizetype(state.nameColumn) - 15;
    }
    if (end < 0 || end >= line.size())
        return QByteArrayView();
    qsizetype start = end;
    while (start >= 0 && !isBlank(line[start]))
        --start;
    return line.sliced(start + 1, end - start);
}

int fileIcon(QByteArrayView name, ListingState &state)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return fileicons::indexForType(u"*.txt");
    const QByteArrayView extension = name.sliced(dot + 1);
    if (extension.size() > 8)
        return fileicons::indexForType(QString(QStringLiteral("*.") + namecodec::decodeName(extension)));
    quint64 key = 0;
    std::memcpy(&key, extension.data(), size_t(extension.size()));
    key = (key << 4) | quint64(extension.size()); // "ab" and "ab\0" differ
    auto it = state.iconsByExtension.constFind(key);
    if (it != state.iconsByExtension.constEnd())
        return *it;
    const int index =
        fileicons::indexForType(QString(QStringLiteral("*.") + namecodec::decodeName(extension)));
    state.iconsByExtension.insert(key, index);
    return index;
}

bool isDotName(QByteArrayView name)
{
    return name == "." || name == "..";
}

bool looksUnix(QByteArrayView line)
{
    return line.front() == '-' || line.front() == 'd' || (line.size() > 8 && line[8] == '-');
}

RecentTexts &attributeTexts()
{
    thread_local RecentTexts texts([](QByteArrayView bytes) { return namecodec::decodeName(bytes); });
    return texts;
}

std::optional<FileEntry> makeEntry(QByteArrayView line, QByteArrayView name, bool folder, ListingState &state)
{
    if (name.isEmpty())
        return std::nullopt;
    FileEntry entry = MakeNamedRow(name, folder, state);
    if (!folder) {
        entry.texts[SizeColumn] = groupedSizeText(sizeField(line, state));
        entry.setNumberKey(SizeColumn, sortNumberValue(entry.texts[SizeColumn]));
    }
    const datetimetext::Key date = ParseLineDate(line, state);
    entry.setDateText(DateTimeColumn, date);
    if (state.serverKind == ServerKind::Microsoft)
        entry.texts[AttributeColumn] = folder ? QStringLiteral("d---------") : QStringLiteral("----------");
    else
        entry.texts[AttributeColumn] = attributeTexts().text(line.first(qMin<qsizetype>(10, line.size())));
    return entry;
}

std::optional<FileEntry> parseDosLine(QByteArrayView line, ListingState &state)
{
    constexpr qsizetype dosNameColumn = 39;
    state.nameColumn = dosNameColumn;
    // A line that ends before the name column would give a row without a name.
    if (line.size() <= dosNameColumn)
        return std::nullopt;
    const bool folder = line.contains("<DIR>");
    const QByteArrayView name = line.sliced(dosNameColumn);
    if (folder && isDotName(name))
        return std::nullopt;
    return makeEntry(line, name, folder, state);
}

std::optional<FileEntry> parseUnixLine(QByteArrayView line, ListingState &state)
{
    const char kind = line.front();
    if (kind != 'd' && kind != 'l' && kind != '-')
        return std::nullopt;
    state.nameColumn = FindNameColumn(line, state);
    QByteArrayView name = NameStart(line, state.nameColumn);
    const bool folder = kind != '-';
    if (folder) {
        if (name.endsWith('/') || name.endsWith('\\'))
            name.chop(1);
        if (isDotName(name))
            return std::nullopt;
    }
    return makeEntry(line, name, folder, state);
}

} // namespace

FileEntry MakeNamedRow(QByteArrayView name, bool folder, ListingState &state)
{
    FileEntry entry;
    bool exact = true;
    entry.texts[NameColumn] = namecodec::displayName(name, &exact, state.charset);
    if (!exact)
        entry.rawName = name.toByteArray();
    entry.itemData = folder ? FileEntry::folderItemData : FileEntry::fileItemData;
    entry.icon = folder ? fileicons::folderIndex() : fileIcon(name, state);
    return entry;
}

QString GroupedSizeText(QByteArrayView digits)
{
    return groupedSizeText(digits);
}

ListingState::ListingState(ServerKind kind) : serverKind(kind), currentYear(QDate::currentDate().year()) {}

int FindNameColumn(QByteArrayView line, ListingState &state)
{
    // The first occurrence of each month token counts, and a token whose first occurrence is at
    // column 0 does not count at all; so a token that starts the line is skipped everywhere.
    // A token ends in a blank, so the search goes from blank to blank rather than byte by byte.
    const int monthAtStart = monthTokenAt(line, 0);
    for (qsizetype blank = line.indexOf(' ', 4); blank >= 0; blank = line.indexOf(' ', blank + 1)) {
        const int month = monthTokenAt(line, blank - 3);
        if (month && month != monthAtStart)
            return int(blank - 3) + 13;
    }
    qsizetype day = line.indexOf(koreanCp949.day);
    bool utf8 = false;
    const qsizetype dayUtf8 = line.indexOf(koreanUtf8.day);
    if (dayUtf8 > 0 && (day <= 0 || dayUtf8 < day)) {
        day = dayUtf8;
        utf8 = true;
    }
    if (day > 0) {
        state.koreanDates = true;
        state.koreanUtf8 = utf8;
        const qsizetype colon = line.indexOf(':');
        if (colon >= 0)
            return int(colon) + 4;
        return int(day + (utf8 ? koreanUtf8 : koreanCp949).day.size());
    }
    return 0;
}

QByteArrayView NameStart(QByteArrayView line, int nameColumn)
{
    if (nameColumn != 0)
        return nameColumn < line.size() ? line.sliced(nameColumn) : QByteArrayView();
    while (line.size() > 2) {
        const char c = line.back();
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            break;
        line.chop(1);
    }
    qsizetype start = line.lastIndexOf(' ');
    if (start < 0)
        start = line.lastIndexOf('\t');
    if (start < 0)
        return line;
    QByteArrayView name = line.sliced(start + 1);
    while (!name.isEmpty() && (name.front() == ' ' || name.front() == '\t'))
        name = name.sliced(1);
    return name;
}

QByteArray FormatSize(QByteArrayView line, const ListingState &state)
{
    return groupDigits(sizeField(line, state));
}

datetimetext::Key ParseLineDate(QByteArrayView line, const ListingState &state)
{
    if (state.nameColumn == 0)
        return datetimetext::zeroKey;
    if (state.serverKind == ServerKind::Microsoft)
        return parseDosDate(line.first(qMin<qsizetype>(17, line.size())));
    if (state.koreanDates) {
        const KoreanWords &words = koreanWords(state);
        const qsizetype month = line.indexOf(words.month);
        if (month <= 0)
            return datetimetext::zeroKey;
        qsizetype blank = month;
        while (blank >= 0 && !isBlank(line[blank]))
            --blank;
        const qsizetype from = blank + 1;
        const qsizetype to = qMin<qsizetype>(state.nameColumn - 1, line.size());
        QByteArrayView text = to > from ? line.sliced(from, to - from) : QByteArrayView();
        if (!text.contains(':')) {
            const qsizetype year = line.indexOf(words.year);
            if (year < 0)
                return datetimetext::zeroKey;
            const qsizetype start = qMax<qsizetype>(0, year - 4);
            const qsizetype length = qBound<qsizetype>(0, state.nameColumn - year + 3, line.size() - start);
            text = line.sliced(start, length);
        }
        return parseKoreanDate(text, words, state.currentYear);
    }
    const qsizetype start = state.nameColumn - 13;
    if (start < 0 || start >= line.size())
        return datetimetext::invalidKey;
    return parseMonthNameDate(line.sliced(start, qMin<qsizetype>(12, line.size() - start)),
                              state.currentYear);
}

std::optional<FileEntry> ParseListingLine(QByteArrayView line, ListingState &state)
{
    state.nameColumn = 0;
    const qsizetype nul = line.indexOf('\0');
    if (nul >= 0)
        line.truncate(nul);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return std::nullopt;
    if (state.machineListing)
        return ParseMlsdLine(line, state);
    if (state.serverKind == ServerKind::Microsoft) {
        if (!looksUnix(line))
            return parseDosLine(line, state);
        state.serverKind = ServerKind::UnixListing;
        return parseUnixLine(line, state);
    }
    if (looksUnix(line))
        return parseUnixLine(line, state);
    if (line.size() > 12 && line[12] == ':') {
        state.serverKind = ServerKind::UnixListing;
        return parseDosLine(line, state);
    }
    return parseUnixLine(line, state);
}

ListingLineSplitter::ListingLineSplitter(ListingState &state, std::vector<FileEntry> &rows)
    : state_(state), vector_(&rows)
{
}

ListingLineSplitter::ListingLineSplitter(ListingState &state, FileRows &rows) : state_(state), rows_(&rows)
{
}

void ListingLineSplitter::parseLine(QByteArrayView line)
{
    if (auto entry = ParseListingLine(line, state_)) {
        if (rows_)
            rows_->push_back(*entry);
        else
            vector_->push_back(std::move(*entry));
    }
}

void ListingLineSplitter::feed(QByteArrayView chunk)
{
    while (!chunk.isEmpty()) {
        const qsizetype lf = chunk.indexOf('\n');
        const QByteArrayView piece = lf >= 0 ? chunk.first(lf) : chunk;
        if (!overlong_) {
            if (partial_.isEmpty() && lf >= 0) {
                if (piece.size() <= maxLineLength)
                    parseLine(piece);
            } else if (partial_.size() + piece.size() > maxLineLength) {
                overlong_ = true;
                partial_.clear();
            } else {
                partial_.append(piece);
                if (lf >= 0) {
                    parseLine(partial_);
                    partial_.clear();
                }
            }
        }
        if (lf < 0)
            break;
        overlong_ = false;
        chunk = chunk.sliced(lf + 1);
    }
}

void ListingLineSplitter::finish()
{
    if (!overlong_ && !partial_.isEmpty())
        parseLine(partial_);
    partial_.clear();
    overlong_ = false;
}

std::vector<FileEntry> ParseListing(QByteArrayView data, ListingState &state)
{
    std::vector<FileEntry> rows;
    ListingLineSplitter splitter(state, rows);
    splitter.feed(data);
    splitter.finish();
    return rows;
}

QByteArray TrimListingPath(const QByteArray &path)
{
    if (path.size() > 1 && path.endsWith('/') && path.at(path.size() - 2) != ':')
        return path.chopped(1);
    return path;
}
