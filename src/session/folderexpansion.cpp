// The folder items of the queue: each is replaced at the head by one item per entry of the source
// folder, after the folder was made on the other side, so that a tree goes depth first.
#include "platform/log.h"
#include "session/localfolderentries.h"
#include "session/queuetransferjob.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/transferpaths.h"
#include "session/transferqueue.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace
{

const char *text(const QByteArray &bytes)
{
    return bytes.constData();
}

} // namespace

void QueueTransferJob::replaceHead(const QueueItem &folder, const std::vector<QueueItem> &entries)
{
    // One step: a stop cannot fall between the folder leaving and its entries arriving.
    if (TransferQueue *queue = inputs_.queue)
        queue->replaceItem(folder, entries);
    // The other connections may take the new files at once.
    changed_.notify_all();
}

void QueueTransferJob::drop(const QueueItem &item)
{
    if (TransferQueue *queue = inputs_.queue)
        (void)queue->RemoveQueueItem(item);
}

void QueueTransferJob::ExpandDownloadFolder(const QueueItem &item)
{
    // A listed link is entered at its target, but made here under its own name, and only when
    // the target stays inside the folder that holds it.
    QByteArray folderPath = item.name;
    QByteArray ownName;
    const auto link = SplitListedLink(item.name);
    if (link) {
        const char separator = RemoteSeparator(link->name);
        const qsizetype cut = link->name.lastIndexOf(separator);
        const QByteArray parent = cut > 0 ? link->name.left(cut) : QByteArray(1, separator);
        ownName = link->name.mid(cut + 1);
        if (IsPlainEntryName(ownName) && !LinkStaysInside(link->target)) {
            AppendLog(LogColor::Error, TextId::RefusedLinkOutOfFolder, text(item.name));
            return drop(item);
        }
        folderPath = NormalRemotePath(RemoteChildPath(parent, link->target));
    } else {
        ownName = item.name.mid(item.name.lastIndexOf(RemoteSeparator(item.name)) + 1);
    }
    if (!IsPlainEntryName(ownName)) {
        AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(item.name));
        return drop(item);
    }
    const QByteArray visit = NormalRemotePath(folderPath);
    if (visitedRemote_.contains(visit)) {
        AppendLog(LogColor::Error, TextId::SkippedFolderSeenBefore, text(item.name));
        return drop(item);
    }

    // A link may lead to a file: the server refusing to enter it is no error yet.
    if (!enterRemoteFolder(folderPath, link.has_value())) {
        if (link && !main_.remoteListed && main_.remoteFolder != folderPath) {
            // The server would not enter it: a link to a file, fetched under the link's name.
            QueueItem file = item;
            file.name = link->name;
            file.isFolder = false;
            return replaceHead(item, {file});
        }
        AppendLog(LogColor::Error, TextId::CannotListFolderNotQueued, text(item.name));
        return drop(item);
    }
    visitedRemote_.insert(visit);

    const QByteArray destination = item.destination.isEmpty() ? localShown_ : item.destination;
    const QByteArray localFolder = LocalChildPath(destination, ownName);
    if (!makeLocalFolder(localFolder)) {
        AppendLog(LogColor::Error, TextId::CannotCreateOrEnterFolder, text(localFolder));
        return drop(item);
    }
    followLocalFolder(localFolder);

    std::vector<QueueItem> entries;
    entries.reserve(main_.remoteRows.size());
    for (size_t row = 0; row < main_.remoteRows.size(); ++row) {
        const QByteArray name = main_.remoteRows.nameBytes(row);
        const auto rowLink = SplitListedLink(name);
        const QByteArray plain = rowLink ? rowLink->name : name;
        if (!IsPlainEntryName(plain)) {
            AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(RemoteChildPath(folderPath, name)));
            continue;
        }
        if (rowLink && !LinkStaysInside(rowLink->target)) {
            AppendLog(LogColor::Error, TextId::RefusedLinkOutOfFolder,
                      text(RemoteChildPath(folderPath, name)));
            continue;
        }
        QueueItem entry;
        entry.name = RemoteChildPath(folderPath, name);
        entry.isFolder = main_.remoteRows.isFolder(row);
        entry.sizeText = entry.isFolder ? QByteArray() : main_.remoteRows.text(row, SizeColumn).toUtf8();
        entry.destination = localFolder;
        entry.direction = QueueItem::Download;
        entries.push_back(std::move(entry));
    }
    replaceHead(item, entries);
}

void QueueTransferJob::ExpandUploadFolder(const QueueItem &item)
{
    const Session &s = s_;
    const QByteArray ownName = item.name.mid(item.name.lastIndexOf('/') + 1);
    if (!IsPlainEntryName(ownName)) {
        AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(item.name));
        return drop(item);
    }
    struct stat info {
    };
    if (::stat(item.name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        AppendLog(LogColor::Error, TextId::CannotReadFolder, text(item.name), std::strerror(errno));
        return drop(item);
    }
    if (!visitedLocal_.insert({quint64(info.st_dev), quint64(info.st_ino)}).second) {
        AppendLog(LogColor::Error, TextId::SkippedFolderSeenBefore, text(item.name));
        return drop(item);
    }
    const LocalFolderEntries listing = ListLocalFolder(item.name, inputs_.localOrder);
    if (listing.error != 0) {
        AppendLog(LogColor::Error, TextId::CannotReadFolder, text(item.name), std::strerror(listing.error));
        return drop(item);
    }

    const QByteArray destination = item.destination.isEmpty() ? main_.remoteFolder : item.destination;
    const QByteArray remoteFolder = RemoteChildPath(destination, ownName);
    if (s.relativePaths && destination != main_.remoteFolder)
        (void)enterRemoteFolder(destination);
    // A refused MKD is no failure while the folder exists: entering it shows which.
    (void)checked(main_.protocol.makeFolder(s.relativePaths ? ownName : remoteFolder));
    if (!enterRemoteFolder(remoteFolder)) {
        AppendLog(LogColor::Error, TextId::CannotCreateOrEnterFolder, text(remoteFolder));
        return drop(item);
    }
    followLocalFolder(item.name);

    for (const auto &refused : listing.refused)
        AppendLog(LogColor::Error,
                  refused.why == LocalFolderEntries::Refusal::Name ? TextId::RefusedNotPlainName
                                                                   : TextId::RefusedLinkOutOfFolder,
                  text(LocalChildPath(item.name, refused.name)));
    std::vector<QueueItem> entries;
    entries.reserve(listing.entries.size());
    for (const auto &found : listing.entries) {
        QueueItem entry;
        entry.name = LocalChildPath(item.name, found.name);
        entry.sizeText = found.isFolder ? QByteArray() : GroupedSizeText(found.size);
        entry.destination = remoteFolder;
        entry.direction = QueueItem::Upload;
        entry.isFolder = found.isFolder;
        entries.push_back(std::move(entry));
    }
    replaceHead(item, entries);
}
