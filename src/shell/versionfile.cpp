#include "shell/versionfile.h"

#include <QList>

#include <climits>

namespace
{

constexpr int shownLimit = 255;

// The line's value: the text two characters after the first colon ("VERSION: 000603"). A line
// without a colon, or one that ends before the value, has none.
QByteArray valueOf(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || colon + 2 > line.size())
        return {};
    return line.mid(colon + 2);
}

// Read like atoi: leading blanks, an optional sign, the digits up to the first other character.
// Too many digits saturate instead of overflowing.
int leadingNumber(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    qint64 number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = std::min<qint64>(number * 10 + (text[i] - '0'), qint64(INT_MAX) + 1);
    if (negative)
        return int(std::max<qint64>(-number, INT_MIN));
    return int(std::min<qint64>(number, INT_MAX));
}

// Year in characters 1-4, month in 6-7, day in 9-10; the two separators may be anything.
QDate dateOf(const QByteArray &text)
{
    if (text.size() < 10)
        return {};
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = text.mid(0, 4).toInt(&yearOk);
    const int month = text.mid(5, 2).toInt(&monthOk);
    const int day = text.mid(8, 2).toInt(&dayOk);
    if (!yearOk || !monthOk || !dayOk || year < 1)
        return {};
    return QDate(year, month, day);
}

QString shown(const QByteArray &value)
{
    return QString::fromUtf8(value).left(shownLimit);
}

} // namespace

VersionFile parseVersionFile(const QByteArray &body)
{
    VersionFile file;
    for (QByteArray line : body.split('\n')) {
        line.truncate(versionFileLineLimit);
        while (line.endsWith('\r'))
            line.chop(1);
        const QByteArray value = valueOf(line);
        if (line.contains("VERSION")) {
            file.hasVersion = true;
            file.versionText = shown(value);
            file.version = leadingNumber(value);
        } else if (line.contains("RELEASE")) {
            file.hasRelease = true;
            file.releaseText = shown(value);
            file.release = dateOf(value);
        } else if (line.contains("DOWNURL")) {
            file.downloadAddress = QString::fromUtf8(value).trimmed();
        }
    }
    return file;
}

bool announcesUpgrade(const VersionFile &file, int ownVersion, QDate ownRelease)
{
    if (ownVersion < file.version)
        return true;
    return file.release.isValid() && ownRelease < file.release;
}
