#include "session/listingcachefiles.h"

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

bool writeCacheRows(const QString &file, qsizetype count,
                    const std::function<FileRow(qsizetype)> &rowAt)
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
