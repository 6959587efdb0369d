#include "session/localfolderentries.h"

#include "session/transferpaths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
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

} // namespace

LocalFolderEntries ListLocalFolder(const QByteArray &path)
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
        result.entries.push_back(
            {name, S_ISDIR(info.st_mode) ? 0 : qint64(info.st_size), S_ISDIR(info.st_mode)});
        if (int(result.entries.size()) >= LocalFolderEntries::maxEntries)
            break;
    }
    std::sort(result.entries.begin(), result.entries.end(), [](const auto &a, const auto &b) {
        return a.isFolder != b.isFolder ? a.isFolder : a.name < b.name;
    });
    return result;
}
