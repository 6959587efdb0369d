#include "platform/fileicons.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>

#include <mutex>
#include <vector>

namespace fileicons
{
namespace
{

struct Registry {
    std::mutex mutex;
    std::vector<IconName> names;
    QHash<QString, int> byMimeType;
    QHash<QString, int> byExtension;

    Registry()
    {
        names.push_back({QStringLiteral("text-x-generic"), QStringLiteral("text-x-generic"), false});
        names.push_back({QStringLiteral("folder"), QStringLiteral("folder"), true});
        byMimeType.insert(QStringLiteral("inode/directory"), 1);
    }

    // Called with the mutex held.
    int indexForMime(const QMimeType &mime)
    {
        if (!mime.isValid() || mime.isDefault())
            return 0;
        auto it = byMimeType.constFind(mime.name());
        if (it != byMimeType.constEnd())
            return *it;
        const int index = int(names.size());
        names.push_back(
            {mime.iconName(), mime.genericIconName(), mime.name() == QLatin1String("inode/directory")});
        byMimeType.insert(mime.name(), index);
        return index;
    }
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

int folderIndex()
{
    return 1;
}

int indexForType(QStringView pattern)
{
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? pattern.mid(dot + 1).toString().toLower() : QString();
    if (extension.isEmpty() || extension == QLatin1String("*"))
        return 0;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byExtension.constFind(extension);
    if (it != r.byExtension.constEnd())
        return *it;
    static const QMimeDatabase database;
    const int index = r.indexForMime(
        database.mimeTypeForFile(QStringLiteral("name.") + extension, QMimeDatabase::MatchExtension));
    if (r.byExtension.size() < typeCacheLimit)
        r.byExtension.insert(extension, index);
    return index;
}

qsizetype cachedTypeCount()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return r.byExtension.size();
}

int indexForPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return folderIndex();
    static const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForFile(info);
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return r.indexForMime(mime);
}

IconName iconName(int index)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    if (index < 0 || index >= int(r.names.size()))
        return r.names[0];
    return r.names[size_t(index)];
}

} // namespace fileicons
