#include "session/localfolderentries.h"

#include "platform/datetimetext.h"
#include "platform/filerows.h"
#include "platform/namecodec.h"
#include "session/transferpaths.h"

#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

// The target of the link, or an empty text when it cannot be read.
QByteArray linkTarget(const QByteArray &path)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return {};
    target.truncate(length);
    return target;
}

// The entries as rows of the local pane would hold them, for the pane's own sort.
void sortAsShown(std::vector<LocalFolderEntries::Entry> &entries, const RowOrder &order)
{
    std::vector<FileRow> rows;
    rows.reserve(entries.size());
    for (const LocalFolderEntries::Entry &entry : entries) {
        FileRow row;
        row.texts[0] = namecodec::decodeName(entry.name);
        row.itemData = entry.isFolder ? FileRow::folderItemData : FileRow::fileItemData;
        if (!entry.isFolder) {
            row.texts[1] = groupedNumberText(entry.size);
            row.setNumberKey(1, entry.size);
        }
        const QDateTime local = QDateTime::fromSecsSinceEpoch(entry.modified).toLocalTime();
        row.setDateKey(2, datetimetext::makeKey(local.date(), local.time().hour(), local.time().minute()));
        rows.push_back(std::move(row));
    }
    FileRows sortable(rows);
    std::vector<quint32> listed(entries.size());
    std::iota(listed.begin(), listed.end(), 0u);
    std::vector<LocalFolderEntries::Entry> sorted;
    sorted.reserve(entries.size());
    for (const quint32 index : sortedRowOrder(sortable, order.column, order.kind, order.ascending, listed))
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}

} // namespace

LocalFolderEntries ListLocalFolder(const QByteArray &path, const std::optional<RowOrder> &order)
{
    LocalFolderEntries result;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.constData()));
    if (!dir) {
        result.error = errno;
        return result;
    }
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (!IsPlainEntryName(name)) {
            result.refused.push_back({name, LocalFolderEntries::Refusal::Name});
            continue;
        }
        const QByteArray full = LocalChildPath(path, name);
        struct stat info {
        };
        if (::lstat(full.constData(), &info) != 0)
            continue; // gone since the folder was read
        if (S_ISLNK(info.st_mode)) {
            if (!LinkStaysInside(linkTarget(full)) || ::stat(full.constData(), &info) != 0) {
                result.refused.push_back({name, LocalFolderEntries::Refusal::Link});
                continue;
            }
        }
        if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
            continue; // devices, sockets and pipes are no files to send
        result.entries.push_back({name, S_ISDIR(info.st_mode) ? 0 : qint64(info.st_size), S_ISDIR(info.st_mode),
                                  qint64(info.st_mtime)});
        if (int(result.entries.size()) >= LocalFolderEntries::maxEntries)
            break;
    }
    std::sort(result.entries.begin(), result.entries.end(), [](const auto &a, const auto &b) {
        return a.isFolder != b.isFolder ? a.isFolder : a.name < b.name;
    });
    if (order && order->kind != SortNone)
        sortAsShown(result.entries, *order);
    return result;
}
