#include "panes/localfolder.h"

#include "platform/datetimetext.h"
#include "platform/fileicons.h"
#include "platform/namecodec.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace localfolder
{
namespace
{

// Held open while a folder is walked; closed on every way out.
struct DirHandle {
    DIR *dir = nullptr;
    explicit DirHandle(const QByteArray &path) : dir(::opendir(path.constData())) {}
    ~DirHandle()
    {
        if (dir)
            ::closedir(dir);
    }
    DirHandle(const DirHandle &) = delete;
    DirHandle &operator=(const DirHandle &) = delete;
};

bool isDotEntry(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The shown date of a time, worked out once per minute of a listing: the files of a folder
// mostly share their minutes, and the local-time conversion is the dearest step of a row.
class DateTexts
{
public:
    struct Shown {
        datetimetext::Key key;
        QString text;
    };
    const Shown &of(qint64 seconds)
    {
        const qint64 minute = seconds >= 0 ? seconds / 60 : (seconds - 59) / 60;
        auto it = byMinute_.constFind(minute);
        if (it == byMinute_.constEnd()) {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(minute * 60).toLocalTime();
            const datetimetext::Key key =
                datetimetext::makeKey(local.date(), local.time().hour(), local.time().minute());
            it = byMinute_.insert(minute, Shown{key, datetimetext::format(key)});
        }
        return *it;
    }

private:
    QHash<qint64, Shown> byMinute_;
};

// A last-write time of exactly midnight shows as a date without time; the creation time (or,
// where the file system keeps none, the last status change) is shown instead.
qint64 creationSeconds(int dirFd, const char *name, const struct stat &info)
{
    struct statx extended;
    if (::statx(dirFd, name, 0, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME))
        return extended.stx_btime.tv_sec;
    return info.st_ctime;
}

FileRow makeRow(int dirFd, const char *name, DateTexts &dates)
{
    FileRow row;
    const QByteArray bytes(name);
    row.texts[0] = namecodec::decodeName(bytes);
    if (!namecodec::isValidUtf8(bytes))
        row.rawName = bytes;
    struct stat info;
    // Follow a link to learn what it leads to; a link that leads nowhere is shown as itself.
    bool found = ::fstatat(dirFd, name, &info, 0) == 0;
    if (!found)
        found = ::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0;
    const bool folder = found && S_ISDIR(info.st_mode);
    row.itemData = folder ? FileRow::folderItemData : FileRow::fileItemData;
    // By type: a folder of a hundred thousand files must not have each one read for its icon.
    row.icon = folder ? fileicons::folderIndex() : fileicons::indexForType(row.texts[0]);
    if (!found)
        return row;
    if (!folder) {
        row.texts[1] = groupedSize(qint64(info.st_size));
        row.setNumberKey(1, qint64(info.st_size));
    }
    const DateTexts::Shown *shown = &dates.of(info.st_mtime);
    if (!shown->text.contains(QLatin1Char(':')))
        shown = &dates.of(creationSeconds(dirFd, name, info));
    row.setDateText(2, shown->key, shown->text);
    return row;
}

} // namespace

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    QByteArray path = folder + '/' + name;
    while (path.contains("//"))
        path.replace("//", "/");
    return path;
}

ParentStep parentOf(const QByteArray &folder)
{
    ParentStep step;
    const QByteArray path = tidyPath(folder);
    const qsizetype slash = path.lastIndexOf('/');
    if (path.size() < 2 || slash < 0)
        return step;
    step.hasParent = true;
    step.leftName = path.mid(slash + 1);
    step.parent = slash == 0 ? QByteArray("/") : path.left(slash);
    return step;
}

QByteArray tidyPath(const QByteArray &typed)
{
    QByteArray path = typed;
    while (path.contains("//"))
        path.replace("//", "/");
    if (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool isEntryName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > maxNameBytes || name == "." || name == ".." || name.contains('/'))
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

bool folderExists(const QByteArray &path)
{
    struct stat info;
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString groupedSize(qint64 size)
{
    return groupedNumberText(size);
}

QString shownPath(const QByteArray &path)
{
    return namecodec::decodeName(path);
}

Listing listFolder(const QByteArray &folder, int limit)
{
    Listing listing;
    DirHandle handle(folder);
    if (!handle.dir) {
        listing.error = errno;
        return listing;
    }
    const int dirFd = ::dirfd(handle.dir);
    DateTexts dates;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(handle.dir);
        if (!entry) {
            listing.error = errno;
            break;
        }
        if (isDotEntry(entry->d_name))
            continue;
        if (int(listing.rows.size()) >= limit) {
            listing.capped = true;
            break;
        }
        listing.rows.push_back(makeRow(dirFd, entry->d_name, dates));
    }
    return listing;
}

std::optional<Failure> removeEntry(const QByteArray &path, bool folder)
{
    if ((folder ? ::rmdir(path.constData()) : ::unlink(path.constData())) == 0)
        return std::nullopt;
    return Failure{path, errno};
}

std::optional<Failure> deleteTree(const QByteArray &root)
{
    struct stat info;
    if (::lstat(root.constData(), &info) != 0)
        return Failure{root, errno};
    if (!S_ISDIR(info.st_mode))
        return removeEntry(root, false);
    {
        DirHandle handle(root);
        if (!handle.dir)
            return Failure{root, errno};
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(handle.dir);
            if (!entry) {
                if (errno != 0)
                    return Failure{root, errno};
                break;
            }
            if (isDotEntry(entry->d_name))
                continue;
            if (auto failure = deleteTree(joinPath(root, QByteArray(entry->d_name))))
                return failure;
        }
    }
    return removeEntry(root, true);
}

std::optional<Failure> renameEntry(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS)
        return Failure{from, errno};
    // A file system without the no-replace rename: look first (a small window remains).
    struct stat info;
    if (::lstat(to.constData(), &info) == 0)
        return Failure{from, EEXIST};
    if (::rename(from.constData(), to.constData()) == 0)
        return std::nullopt;
    return Failure{from, errno};
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace localfolder
