#include "session/existingfilefacts.h"

#include "engine/listingparser.h"
#include "platform/datetimetext.h"
#include "session/queueitem.h"
#include "session/transferpaths.h"

#include <QDateTime>

#include <sys/stat.h>

FileFacts localFileFacts(const QByteArray &path)
{
    struct stat info {
    };
    if (::stat(path.constData(), &info) != 0)
        return {};
    const QDateTime local = QDateTime::fromSecsSinceEpoch(info.st_mtime).toLocalTime();
    const datetimetext::Key key =
        datetimetext::makeKey(local.date(), local.time().hour(), local.time().minute());
    return {qint64(info.st_size), datetimetext::format(key)};
}

FileFacts listedFileFacts(const FileRows &rows, const QByteArray &name)
{
    for (size_t row = 0; row < rows.size(); ++row) {
        QByteArray listed = rows.nameBytes(row);
        if (const auto link = SplitListedLink(listed))
            listed = link->name;
        if (listed.compare(name, Qt::CaseInsensitive) == 0)
            return {QueueItem::sizeValue(rows.text(row, SizeColumn).toUtf8()),
                    rows.text(row, DateTimeColumn)};
    }
    return {};
}
