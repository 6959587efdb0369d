#include "session/listingcachefiles.h"

#include "platform/programpaths.h"

#include <QDir>
#include <QFile>

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
