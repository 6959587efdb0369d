#include "session/listingcachefiles.h"

#include "engine/loginfields.h"
#include "platform/inifile.h"
#include "platform/namecodec.h"
#include "platform/programpaths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

QString listingCacheFolder()
{
    return programpaths::programFolder() + QStringLiteral("Cache");
}

QString cacheFileNamePart(QString text)
{
    text.replace(QLatin1Char('/'), QLatin1Char('$'));
    text.replace(QLatin1Char('\\'), QLatin1Char('$'));
    text.remove(QChar(0));
    return text;
}

bool deleteCacheFilesWithPrefix(const QString &cacheFolder, const QString &text)
{
    // An empty prefix would reach every cached listing of every server.
    if (text.isEmpty())
        return false;
    const QString prefix = cacheFileNamePart(text);
    const QDir dir(cacheFolder);
    bool matched = false;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name.size() >= prefix.size() + 4 && name.startsWith(prefix, Qt::CaseInsensitive) &&
            name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) {
            matched = true;
            QFile::remove(dir.filePath(name));
        }
    }
    return matched;
}

namespace
{

constexpr int standardPort = 21;

QString keyPart(const QString &text)
{
    static const QString special = QStringLiteral("%@#$:/\\");
    QString part;
    part.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || special.contains(c))
            part += QLatin1Char('%') +
                    QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            part += c;
    }
    return part;
}

} // namespace

QString listingCacheKey(const LoginFields &login)
{
    // The same choice the login makes: no user name means an anonymous login.
    const QString user =
        login.userName.isEmpty() || login.anonymousLogin ? QStringLiteral("anonymous") : login.userName;
    QString key = keyPart(user) + QLatin1Char('@') + keyPart(login.serverHost);
    if (login.port != standardPort)
        key += QLatin1Char('#') + QString::number(login.port);
    return key;
}

QString legacyListingCacheKey(const LoginFields &login)
{
    return login.port == standardPort ? cacheFileNamePart(login.serverHost) : QString();
}

QString cacheFileName(const QString &key, const QString &path)
{
    QString name = path;
    name.replace(QLatin1Char('\\'), QLatin1Char('$'));
    name.replace(QLatin1Char('/'), QLatin1Char('$'));
    name.replace(QLatin1Char(':'), QLatin1Char('@'));
    name.remove(QChar(0));
    return key + QLatin1Char('$') + name + QStringLiteral(".ini");
}

bool deleteServerCacheFiles(const QString &cacheFolder, const LoginFields &login)
{
    // The "$" after the key keeps a server from reaching the files of one whose name begins alike.
    bool matched = deleteCacheFilesWithPrefix(cacheFolder, listingCacheKey(login) + QLatin1Char('$'));
    const QString legacy = legacyListingCacheKey(login);
    if (!legacy.isEmpty())
        matched = deleteCacheFilesWithPrefix(cacheFolder, legacy + QLatin1Char('$')) || matched;
    return matched;
}

QByteArray cacheValueFromRow(const FileRow &row)
{
    // Escaped so that a CR, LF or ";" in a name neither ends the line nor shifts the fields; the
    // escape leaves every other byte alone, so ordinary rows are written as they always were.
    QByteArray value;
    value.reserve(96);
    value += row.isFolder() ? 'D' : 'F';
    value += ';';
    namecodec::appendEscapedField(value, row.nameBytes());
    for (int column = 1; column <= 3; ++column) {
        value += ';';
        namecodec::appendEscapedField(value, row.text(column).toUtf8());
    }
    return value;
}

bool streamCacheRows(QIODevice &out, qsizetype count, const std::function<FileRow(qsizetype)> &rowAt)
{
    // Written as they are made, so that a listing of a million rows is never held as an ini file
    // in memory beside its rows.
    constexpr qsizetype chunk = 1 << 20;
    QByteArray buffer;
    buffer.reserve(std::min(chunk, 64 * count) + 4096);
    buffer += '[' + QByteArray(listingCacheSection) + "]\nCOUNT=" + QByteArray::number(count) + '\n';
    bool written = true;
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray line = "ITEM" + QByteArray::number(i) + '=' + cacheValueFromRow(rowAt(i));
        line.replace('\n', ' ');
        buffer += line;
        buffer += '\n';
        if (buffer.size() >= chunk) {
            written = out.write(buffer) == buffer.size() && written;
            buffer.clear();
        }
    }
    return out.write(buffer) == buffer.size() && written;
}

void setCacheRows(IniFile &ini, qsizetype count, const std::function<FileRow(qsizetype)> &rowAt)
{
    // Written over whatever the file held: keys of an earlier, longer listing stay but are never
    // read, because reading stops at COUNT.
    ini.setValue(listingCacheSection, "COUNT", QByteArray::number(count));
    for (qsizetype i = 0; i < count; ++i)
        ini.setValue(listingCacheSection, "ITEM" + QByteArray::number(i), cacheValueFromRow(rowAt(i)));
}

bool writeCacheRows(const QString &file, qsizetype count, const std::function<FileRow(qsizetype)> &rowAt)
{
    if (!QFile::exists(file)) {
        QSaveFile out(file);
        return out.open(QIODevice::WriteOnly) && streamCacheRows(out, count, rowAt) && out.commit();
    }
    IniFile ini(file);
    ini.load();
    setCacheRows(ini, count, rowAt);
    return ini.save();
}
