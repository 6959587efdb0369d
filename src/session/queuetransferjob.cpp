#include "session/queuetransferjob.h"

#include "engine/listingloader.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uithread.h"
#include "session/itemprogressscope.h"
#include "session/jobs.h"
#include "session/listinghandover.h"
#include "session/remoteprotocol.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/shutdowncommand.h"
#include "session/transferpaths.h"
#include "session/transferchecksum.h"
#include "session/transferqueue.h"
#include "session/viewposts.h"

#include <QFile>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char *text(const QByteArray &bytes)
{
    return bytes.constData();
}

// The run's flags and the wait cursor, put back however the run ends (a stop and a lost
// connection leave by an exception).
class RunScope
{
public:
    explicit RunScope(Session &s) : s_(s)
    {
        s.transferRunning = true;
        viewposts::setWaitCursor(s, true);
    }
    ~RunScope()
    {
        s_.transferRunning = false;
        viewposts::setWaitCursor(s_, false);
    }
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;

private:
    Session &s_;
};

void clearProgressTexts(const Session &s)
{
    viewposts::status(s, [](StatusView &view) {
        view.setProgressText(QString());
        view.setRateText(QString());
    });
}

// The listing step's file and flag, put back however it ends.
class ListingScope
{
public:
    explicit ListingScope(Session &s) : s_(s) { s.listingRunning = true; }
    ~ListingScope()
    {
        QFile::remove(programpaths::listingTempFile());
        s_.listingRunning = false;
    }
    ListingScope(const ListingScope &) = delete;
    ListingScope &operator=(const ListingScope &) = delete;

private:
    Session &s_;
};

// The name of a listed row without the " -> target" of a link.
QByteArray rowName(const FileRows &rows, size_t row)
{
    const QByteArray name = rows.nameBytes(row);
    const auto link = SplitListedLink(name);
    return link ? link->name : name;
}

qint64 localFileLength(const QByteArray &path)
{
    struct stat info {
    };
    return ::stat(path.constData(), &info) == 0 ? qint64(info.st_size) : -1;
}

// Puts a question to the user on the window thread and waits for the answer; with no question
// view (gone, or never registered) the answer is `none`. The call holds the controller by a
// guarded pointer: a job stopped while it waits leaves the call behind.
template <typename T, typename Ask> T askUser(const Session &s, T none, Ask ask)
{
    return uithread::call<T>([controller = QPointer<SessionController>(s.controller), none, ask]() -> T {
        QuestionView *view = controller ? controller->views().questions : nullptr;
        return view ? ask(*view) : none;
    });
}

} // namespace

TransferInputs transferInputs(const SessionViews &views)
{
    TransferInputs inputs;
    inputs.queue = views.queue;
    if (const LocalPaneView *local = views.local) {
        inputs.localFolder = local->currentFolder();
        inputs.localOrder = local->rowOrder();
    }
    if (const RemoteListView *remote = views.remote) {
        inputs.remoteFolder = remote->remoteFolder();
        inputs.remoteOrder = remote->rowOrder();
    }
    return inputs;
}

OperationResult TransferQueueJob(RemoteProtocol &protocol, Session &s, const TransferInputs &inputs)
{
    QueueTransferJob job(protocol, s, inputs);
    const OperationResult result = job.run();
    // Only once the run has ended: the disconnect must not meet a transfer it would ask about.
    if (job.disconnectRequested())
        viewposts::controller(s, [](SessionController &controller) { controller.disconnect(); });
    return result;
}

OperationResult QueueTransferJob::checked(OperationResult result) const
{
    if (!result.inStep())
        throw RunEnded{std::move(result)};
    return result;
}

OperationResult QueueTransferJob::run()
{
    if (!s_.connected)
        return {OperationResult::Outcome::ConnectionLost};
    const RunScope scope(s_);
    try {
        runQueue();
    } catch (const RunEnded &ended) {
        return ended.result;
    }
    return {};
}

void QueueTransferJob::runQueue()
{
    Session &s = s_;
    TransferQueue *queue = inputs_.queue;
    savedLocal_ = inputs_.localFolder;
    localShown_ = savedLocal_;
    savedRemote_ = inputs_.remoteFolder;
    remoteFolder_ = savedRemote_;

    int passedOver = 0;
    while (queue) {
        const std::optional<QueueItem> head = queue->PeekQueueHead();
        if (!head)
            break;
        if (failed_.contains(*head)) {
            // What failed in this run waits at the end for a later run; the run ends when
            // nothing else is left.
            if (++passedOver >= queue->queueCount())
                break;
            queue->moveToEnd(*head);
            continue;
        }
        passedOver = 0;
        if (head->refusedForLineBreak()) {
            drop(*head);
            continue;
        }
        s.transferTotalSize = head->size();
        if (head->isFolder) {
            if (head->direction == QueueItem::Download)
                ExpandDownloadFolder(*head);
            else
                ExpandUploadFolder(*head);
            continue;
        }
        const Outcome outcome = head->direction == QueueItem::Download ? download(*head) : upload(*head);
        if (outcome == Outcome::Failed) {
            AppendLog(LogColor::Error, TextId::StaysQueued, text(head->name));
            failed_.append(*head);
        } else {
            (void)queue->RemoveQueueItem(*head);
        }
    }
    finish();
}

ExistingFileAnswer::Choice QueueTransferJob::existingFileChoice(const QByteArray &fileName, bool upload,
                                                                bool resumePossible,
                                                                const ExistingFileFacts &facts)
{
    ExistingFileAnswer &kept = upload ? uploadAnswer_ : downloadAnswer_;
    if (kept.all)
        return kept.choice;
    const QString shown = QString::fromUtf8(fileName);
    kept = askUser(s_, ExistingFileAnswer{}, [shown, upload, resumePossible, facts](QuestionView &view) {
        return view.askExistingFile(shown, upload, resumePossible, facts);
    });
    return kept.choice;
}

std::optional<QByteArray> QueueTransferJob::askRenameTarget(const QByteArray &path)
{
    return askUser(s_, std::optional<QByteArray>(), [path](QuestionView &view) { return view.askRenameTarget(path); });
}

bool QueueTransferJob::changeRemoteFolder(const QByteArray &path)
{
    if (!s_.relativePaths || remoteFolder_.isEmpty())
        return checked(protocol_.changeFolder(path)).done();
    // Each step names one folder; where a step fails the server stays in the folder reached.
    for (const RemoteFolderStep &step : RemoteFolderSteps(remoteFolder_, path)) {
        const OperationResult result =
            step.up ? protocol_.changeToParent() : protocol_.changeFolder(step.name);
        if (!checked(result).done())
            return false;
        remoteFolder_ = step.reached;
    }
    return true;
}

bool QueueTransferJob::enterRemoteFolder(const QByteArray &path, bool quiet)
{
    Session &s = s_;
    remoteListed_ = false;
    remoteRows_.clear();
    if (!changeRemoteFolder(path)) {
        if (!quiet) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
            s.beepIfEnabled();
        }
        return false;
    }
    remoteFolder_ = path;
    const ListingScope scope(s);
    std::optional<FileRows> rows;
    if (checked(protocol_.listWorkingFolder()).done()) {
        ListingState state(s.serverKind);
        state.machineListing = s.machineListing;
        rows = ReadListingFile(programpaths::listingTempFile(), state);
        if (rows)
            s.serverKind = state.serverKind;
    }
    if (!rows) {
        AppendLog(LogColor::Error, TextId::CannotListFolder, text(path));
        return false;
    }
    remoteRows_ = std::move(*rows);
    remoteListed_ = true;
    // In the pane's order: the folder's entries are queued in the order the user sees them.
    if (inputs_.remoteOrder)
        putInShownOrder(remoteRows_, *inputs_.remoteOrder);
    showListedFolder(s, path, remoteRows_);
    return true;
}

void QueueTransferJob::followLocalFolder(const QByteArray &path)
{
    if (path == localShown_)
        return;
    localShown_ = path;
    viewposts::local(s_, [path](LocalPaneView &view) { (void)view.showLocalFolder(path); });
}

bool QueueTransferJob::makeLocalFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0755) == 0)
        return true;
    // One that is there already will do, if it is a real folder (no link leading elsewhere) that
    // can be written to.
    struct stat info {
    };
    return errno == EEXIST && ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(path.constData(), W_OK | X_OK) == 0;
}

QueueTransferJob::Outcome QueueTransferJob::download(const QueueItem &item)
{
    Session &s = s_;
    const JobOptions &settings = s.jobOptions;
    const QByteArray destination = item.destination.isEmpty() ? localShown_ : item.destination;
    followLocalFolder(destination);

    const char separator = RemoteSeparator(item.name);
    const qsizetype cut = item.name.lastIndexOf(separator);
    const QByteArray fileName = item.name.mid(cut + 1);
    QByteArray remoteFolder = cut > 0 ? item.name.left(cut) : QByteArray(1, separator);
    if (remoteFolder.endsWith(':'))
        remoteFolder += separator;
    if (!IsPlainEntryName(fileName)) {
        AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(item.name));
        return Outcome::Refused;
    }
    // With relative paths the bare name is fetched from the folder the server is in: it must be
    // the right one.
    if (remoteFolder != remoteFolder_ && !enterRemoteFolder(remoteFolder) && s.relativePaths)
        return Outcome::Failed;

    QByteArray localPath = LocalChildPath(destination, fileName);
    const QByteArray remoteName = s.relativePaths ? fileName : item.name;
    const QString listedDate = listedFileFacts(remoteRows_, fileName).date;
    AppendLog(LogColor::Status, TextId::StartingDownload, text(item.name));
    char type = TransferTypeForPath(localPath, s.options.asciiExtensions);

    qint64 expected = item.size();
    qint64 offset = 0;
    struct stat info {
    };
    if (::lstat(localPath.constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode) || !S_ISREG(info.st_mode)) {
            // Writing would go through the link (or into something that is no file).
            AppendLog(LogColor::Error, TextId::RefusedDestinationLink, text(localPath));
            return Outcome::Refused;
        }
        const qint64 length = qint64(info.st_size);
        ResumeProof proof;
        if (expected > length && type != 'A' && ResumeCheck::wanted(downloadAnswer_))
            proof = resumeCheck_.download(remoteName, item.name, localPath, length, listedDate);
        const bool resumePossible = proof.verified();
        // The queued size may be old: the check asked the server for the size it has now.
        expected = proof.remoteSize >= 0 ? proof.remoteSize : expected;
        const ExistingFileFacts facts{localFileFacts(localPath), {expected, listedDate}, resumePossible};
        switch (proof.failed() ? resumeCheck_.unverifiedChoice(fileName, false)
                               : existingFileChoice(fileName, false, resumePossible, facts)) {
        case ExistingFileAnswer::Rename: {
            const std::optional<QByteArray> renamed = askRenameTarget(localPath);
            if (!renamed) {
                AppendLog(LogColor::Status, TextId::Skipped, text(localPath));
                return Outcome::Done;
            }
            localPath = *renamed;
            break;
        }
        case ExistingFileAnswer::Resume:
            if (resumePossible) {
                offset = length;
                AppendLog(LogColor::Status, TextId::ResumingAt, long(length));
            }
            break;
        case ExistingFileAnswer::Overwrite:
            break;
        case ExistingFileAnswer::Skip:
        case ExistingFileAnswer::None:
            // A dialog closed without a choice keeps the file as it is.
            AppendLog(LogColor::Status, TextId::Skipped, text(localPath));
            return Outcome::Done;
        }
    }

    if (settings.transferMode == 1)
        type = 'I';
    else if (settings.transferMode == 2)
        type = 'A';
    const std::optional<PartialRecord> started =
        offset == 0 && type == 'I' ? resumeCheck_.describe(remoteName, item.name, expected, listedDate)
                                   : std::nullopt;
    TransferChecksum checksum(protocol_, settings.verifyChecksums, type);
    const FileTransfer file{remoteName, QFile::decodeName(localPath), type, offset, expected, checksum.hash()};
    qint64 received = 0;
    const ItemProgressScope progress(s, inputs_.queue, item);
    const OperationResult result = protocol_.retrieve(file, received);
    clearProgressTexts(s);
    downloadedAny_ = true;
    const bool tooLong = offset > 0 && expected > 0 && received > expected;
    ResumeCheck::downloadEnded(localPath, started, result.done() && received >= expected && !tooLong);
    if (!checked(result).done())
        return Outcome::Failed;
    if (tooLong) {
        // A server that ignored REST sent the whole file after the part: the part goes back to
        // what it was, for a later run to check again.
        (void)::truncate(localPath.constData(), off_t(offset));
        AppendLog(LogColor::Error, TextId::ResumeTooLong, text(item.name), received, expected);
        s.beepIfEnabled();
        return Outcome::Failed;
    }
    if (expected > 0 && received < expected) {
        AppendLog(LogColor::Error, TextId::DownloadIncomplete, long(received), long(expected));
        s.beepIfEnabled();
        return Outcome::Failed;
    }
    if (!checksum.passes(remoteName, item.name, offset > 0))
        return Outcome::Failed;
    AppendLog(LogColor::Status, TextId::DownloadCompleted);
    return Outcome::Done;
}

QueueTransferJob::Outcome QueueTransferJob::upload(const QueueItem &item)
{
    Session &s = s_;
    const JobOptions &settings = s.jobOptions;
    const QByteArray destination = item.destination.isEmpty() ? remoteFolder_ : item.destination;
    if (destination != remoteFolder_ || !remoteListed_) {
        // Without the folder's listing an existing file would be overwritten unasked.
        if (!enterRemoteFolder(destination))
            return Outcome::Failed;
    }

    const QByteArray fileName = item.name.mid(item.name.lastIndexOf('/') + 1);
    if (!IsPlainEntryName(fileName)) {
        AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(item.name));
        return Outcome::Refused;
    }
    const qint64 length = localFileLength(item.name);
    QFile source(QFile::decodeName(item.name));
    if (length < 0 || !source.open(QIODevice::ReadOnly)) {
        AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
        s.beepIfEnabled();
        return Outcome::Failed;
    }
    source.close();

    QByteArray remotePath = RemoteChildPath(destination, fileName);
    QByteArray commandName = s.relativePaths ? fileName : remotePath;
    AppendLog(LogColor::Status, TextId::StartingUpload, text(item.name));
    char type = TransferTypeForPath(item.name, s.options.asciiExtensions);

    bool resume = false;
    qint64 remoteSize = 0;
    size_t row = 0;
    while (row < remoteRows_.size() && rowName(remoteRows_, row).compare(fileName, Qt::CaseInsensitive) != 0)
        ++row;
    const bool listed = row < remoteRows_.size();
    if (listed) {
        remoteSize = QueueItem::sizeValue(remoteRows_.text(row, SizeColumn).toUtf8());
        ResumeProof proof;
        if (length > remoteSize && type != 'A' && ResumeCheck::wanted(uploadAnswer_))
            proof = resumeCheck_.upload(commandName, item.name, remoteSize);
        const bool resumePossible = proof.verified();
        const ExistingFileFacts facts{{remoteSize, remoteRows_.text(row, DateTimeColumn)},
                                      localFileFacts(item.name), resumePossible};
        switch (proof.failed() ? resumeCheck_.unverifiedChoice(fileName, true)
                               : existingFileChoice(fileName, true, resumePossible, facts)) {
        case ExistingFileAnswer::Rename: {
            const std::optional<QByteArray> renamed = askRenameTarget(remotePath);
            if (!renamed) {
                AppendLog(LogColor::Status, TextId::Skipped, text(item.name));
                return Outcome::Done;
            }
            remotePath = *renamed;
            commandName = s.relativePaths
                              ? remotePath.mid(remotePath.lastIndexOf(RemoteSeparator(remotePath)) + 1)
                              : remotePath;
            break;
        }
        case ExistingFileAnswer::Resume:
            resume = resumePossible;
            break;
        case ExistingFileAnswer::Overwrite:
            break;
        case ExistingFileAnswer::Skip:
        case ExistingFileAnswer::None:
            AppendLog(LogColor::Status, TextId::Skipped, text(item.name));
            return Outcome::Done;
        }
    }

    if (resume)
        AppendLog(LogColor::Status, TextId::ResumingAt, long(remoteSize));
    if (settings.transferMode == 1)
        type = 'I';
    else if (settings.transferMode == 2)
        type = 'A';
    TransferChecksum checksum(protocol_, settings.verifyChecksums, type);
    const ItemProgressScope progress(s, inputs_.queue, item);
    const OperationResult result = protocol_.store(
        {commandName, QFile::decodeName(item.name), type, resume ? remoteSize : 0, length, checksum.hash()});
    clearProgressTexts(s);
    s.refreshAfterJob = true;
    if (!checked(result).done())
        return Outcome::Failed;
    if (!checksum.passes(commandName, item.name, resume))
        return Outcome::Failed;
    AppendLog(LogColor::Status, TextId::UploadCompleted);
    // A later file of the same name in this folder finds this one.
    if (!listed && remotePath == RemoteChildPath(destination, fileName)) {
        FileEntry added;
        added.texts[NameColumn] = QString::fromUtf8(fileName);
        added.rawName = fileName;
        added.texts[SizeColumn] = QString::fromUtf8(GroupedSizeText(length));
        added.itemData = FileRow::fileItemData;
        remoteRows_.push_back(added);
    }
    return Outcome::Done;
}

void QueueTransferJob::finish()
{
    Session &s = s_;
    if (s.showProgressInTitle) {
        const QString title = loadText(TextId::ProgramTitle) + QStringLiteral(" - ") + s.serverHost;
        viewposts::status(s, [title](StatusView &view) { view.showWindowTitle(title); });
    }

    const AfterTransferAction action = s.jobOptions.afterTransfer;
    if (action != AfterTransferAction::None) {
        const bool yes = askUser(s, false, [action](QuestionView &view) { return view.confirmAfterTransfer(action); });
        if (yes && action == AfterTransferAction::Disconnect)
            disconnect_ = true;
        if (yes && action == AfterTransferAction::Shutdown) {
            const QString failure = shutdowncommand::run();
            if (!failure.isEmpty())
                AppendLog(LogColor::Error, TextId::CannotShutDown, failure.toUtf8().constData());
        }
    }

    if (downloadedAny_)
        viewposts::local(s, [](LocalPaneView &view) { view.refreshLocal(); });
    if (localShown_ != savedLocal_) {
        localShown_.clear();
        followLocalFolder(savedLocal_);
    }
    if (!disconnect_ && remoteFolder_ != savedRemote_ && !savedRemote_.isEmpty())
        (void)enterRemoteFolder(savedRemote_);
    if (s.options.bell)
        Beep();
}
