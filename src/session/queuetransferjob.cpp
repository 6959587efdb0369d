#include "session/queuetransferjob.h"

#include "engine/listingloader.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/askuser.h"
#include "session/itemprogressscope.h"
#include "platform/workerstop.h"
#include "session/jobs.h"
#include "session/listinghandover.h"
#include "session/remoteprotocol.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/shutdowncommand.h"
#include "session/transferpaths.h"
#include "session/transferchecksum.h"
#include "session/transferlanes.h"
#include "session/transferqueue.h"
#include "session/viewposts.h"

#include <QFile>

#include <algorithm>
#include <chrono>
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
    // `sessionFlag`: the listing is the session connection's, which the flag tells of.
    ListingScope(Session &s, QString file, bool sessionFlag) : s_(s), file_(std::move(file)), flag_(sessionFlag)
    {
        if (flag_)
            s.listingRunning = true;
    }
    ~ListingScope()
    {
        QFile::remove(file_);
        if (flag_)
            s_.listingRunning = false;
    }
    ListingScope(const ListingScope &) = delete;
    ListingScope &operator=(const ListingScope &) = delete;

private:
    Session &s_;
    const QString file_;
    const bool flag_;
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

QueueTransferJob::QueueTransferJob(RemoteProtocol &protocol, Session &s, const TransferInputs &inputs)
    : QueueTransferJob(protocol, s, s, inputs, RunPlace{false, 0, {}, s.options, s.jobOptions})
{
}

QueueTransferJob::QueueTransferJob(RemoteProtocol &protocol, FtpConnection &connection, Session &s,
                                   const TransferInputs &inputs, RunPlace place)
    : protocol_(protocol), s_(s), inputs_(inputs), place_(std::move(place)), main_{protocol, connection, 1, {}, false, {}}
{
}

void QueueTransferJob::beep() const
{
    if (place_.options.bell)
        Beep();
}

QueueTransferJob::~QueueTransferJob() = default;

OperationResult QueueTransferJob::run()
{
    if (!s_.connected)
        return {OperationResult::Outcome::ConnectionLost};
    // Beside the session the run leaves its flags and the remote pane's cursor to the user's jobs.
    std::optional<RunScope> scope;
    if (!place_.besideSession)
        scope.emplace(s_);
    try {
        runQueue();
    } catch (const RunEnded &ended) {
        return ended.result;
    }
    return {};
}

namespace
{

// An item claimed by one connection, given back however its turn ends.
class ClaimScope
{
public:
    ClaimScope(QueueTransferJob &job, QueueItem item) : job_(job), item_(std::move(item)) {}
    ~ClaimScope() { job_.release(item_); }
    ClaimScope(const ClaimScope &) = delete;
    ClaimScope &operator=(const ClaimScope &) = delete;

private:
    QueueTransferJob &job_;
    QueueItem item_;
};

constexpr auto claimPoll = std::chrono::milliseconds(50);

} // namespace

void QueueTransferJob::runQueue()
{
    Session &s = s_;
    savedLocal_ = inputs_.localFolder;
    localShown_ = savedLocal_;
    savedRemote_ = inputs_.remoteFolder;
    // Full paths name every file wherever the server is; relative ones step from where it is.
    main_.remoteFolder = place_.besideSession && s.relativePaths ? place_.startFolder : savedRemote_;

    {
        // The connections beside the session's own end (and are joined) before the end steps run.
        const int wanted = place_.connections > 0 ? place_.connections : place_.jobOptions.simultaneousTransfers;
        const int connections = !inputs_.queue           ? 1
                                : place_.besideSession ? wanted
                                                       : s.connectionLimits.allowed(s.login(), wanted);
        TransferLanes lanes(*this, s, connections);
        preferFolders_ = lanes.count() > 1;
        for (;;) {
            const std::optional<QueueItem> item = claim(main_);
            if (!item) {
                std::unique_lock lock(shared_);
                // Items the other connections hold come back if their connection fails.
                if (claimed_.isEmpty())
                    break;
                changed_.wait_for(lock, claimPoll);
                lock.unlock();
                workerstop::throwIfRequested();
                continue;
            }
            const ClaimScope claimed(*this, *item);
            if (!item->isFolder) {
                transferItem(main_, *item);
                continue;
            }
            if (item->refusedForLineBreak()) {
                drop(*item);
                continue;
            }
            main_.connection.transferTotalSize = 0;
            if (item->direction == QueueItem::Download)
                ExpandDownloadFolder(*item);
            else
                ExpandUploadFolder(*item);
        }
        endRun();
    }
    finish();
}

void QueueTransferJob::endRun()
{
    {
        const std::lock_guard lock(shared_);
        ending_ = true;
    }
    changed_.notify_all();
}

std::optional<QueueItem> QueueTransferJob::claim(const Lane &lane)
{
    if (!inputs_.queue)
        return std::nullopt;
    const std::lock_guard lock(shared_);
    if (ending_ && lane.number != 1)
        return std::nullopt;
    // Read under the lock: an item another connection has just finished has left the queue
    // before it was released, so it is never taken again.
    const std::vector<QueueItem> items = inputs_.queue->items();
    const QueueItem *pick = nullptr;
    for (const QueueItem &item : items) {
        if (claimed_.contains(item.name) || failed_.contains(item))
            continue;
        if (lane.number == 1) {
            // The session's connection feeds the others: folders first while they run.
            if (!preferFolders_ || item.isFolder) {
                pick = &item;
                break;
            }
            if (!pick)
                pick = &item;
            continue;
        }
        // The other connections take files whose destination is known; an upload only into a
        // folder listed in this run, so that an existing file is asked about, never overwritten.
        if (item.isFolder || item.destination.isEmpty() ||
            (item.direction == QueueItem::Upload && !listed_.contains(item.destination)))
            continue;
        pick = &item;
        break;
    }
    if (!pick)
        return std::nullopt;
    claimed_.insert(pick->name);
    return *pick;
}

void QueueTransferJob::release(const QueueItem &item)
{
    {
        const std::lock_guard lock(shared_);
        claimed_.remove(item.name);
    }
    changed_.notify_all();
}

void QueueTransferJob::runLane(Lane &lane)
{
    try {
        for (;;) {
            workerstop::throwIfRequested();
            const std::optional<QueueItem> item = claim(lane);
            if (!item) {
                std::unique_lock lock(shared_);
                if (ending_)
                    return;
                changed_.wait_for(lock, claimPoll);
                continue;
            }
            const ClaimScope claimed(*this, *item);
            transferItem(lane, *item);
        }
    } catch (const RunEnded &) {
        // This connection is gone; its item was given back for the others.
    }
}

void QueueTransferJob::transferItem(Lane &lane, const QueueItem &item)
{
    if (item.refusedForLineBreak())
        return drop(item);
    // The other connections' read-outs are the item's progress in the queue.
    lane.connection.transferRunning = true;
    lane.connection.transferTotalSize = item.size();
    const Outcome outcome = item.direction == QueueItem::Download ? download(lane, item) : upload(lane, item);
    if (outcome == Outcome::Failed) {
        // It waits at the end for a later run.
        AppendLog(LogColor::Error, TextId::StaysQueued, text(item.name));
        {
            const std::lock_guard lock(shared_);
            failed_.append(item);
        }
        inputs_.queue->moveToEnd(item);
    } else {
        (void)inputs_.queue->RemoveQueueItem(item);
    }
}

std::optional<FileRows> QueueTransferJob::listedInRun(const QByteArray &folder) const
{
    const std::lock_guard lock(shared_);
    const auto found = listed_.constFind(folder);
    if (found == listed_.constEnd())
        return std::nullopt;
    return *found;
}

void QueueTransferJob::addListedRow(const QByteArray &folder, const FileEntry &entry)
{
    const std::lock_guard lock(shared_);
    const auto found = listed_.find(folder);
    if (found != listed_.end())
        found->push_back(entry);
}

ExistingFileAnswer::Choice QueueTransferJob::existingFileChoice(const QByteArray &fileName, bool upload,
                                                                bool resumePossible,
                                                                const ExistingFileFacts &facts)
{
    // One question at a time; the answer "All" given meanwhile on another connection holds here.
    const std::lock_guard lock(questions_);
    workerstop::throwIfRequested();
    ExistingFileAnswer &kept = upload ? uploadAnswer_ : downloadAnswer_;
    if (kept.all)
        return kept.choice;
    const QString shown = QString::fromUtf8(fileName);
    kept = askUser(s_, ExistingFileAnswer{}, [shown, upload, resumePossible, facts](QuestionView &view) {
        return view.askExistingFile(shown, upload, resumePossible, facts);
    });
    return kept.choice;
}

bool QueueTransferJob::resumeWanted(bool upload)
{
    const std::lock_guard lock(questions_);
    return ResumeCheck::wanted(upload ? uploadAnswer_ : downloadAnswer_);
}

ExistingFileAnswer::Choice QueueTransferJob::unverifiedChoice(const QByteArray &fileName, bool upload)
{
    const std::lock_guard lock(questions_);
    workerstop::throwIfRequested();
    return resumeCheck_.unverifiedChoice(fileName, upload);
}

ResumeCheck QueueTransferJob::checkFor(Lane &lane) const
{
    return ResumeCheck(lane.protocol, ResumeCheck::serverOf(s_), ResumeCheck::askThroughWindow(s_));
}

std::optional<QByteArray> QueueTransferJob::askRenameTarget(const QByteArray &path)
{
    const std::lock_guard lock(questions_);
    workerstop::throwIfRequested();
    return askUser(s_, std::optional<QByteArray>(), [path](QuestionView &view) { return view.askRenameTarget(path); });
}

bool QueueTransferJob::changeRemoteFolder(Lane &lane, const QByteArray &path)
{
    if (!s_.relativePaths || lane.remoteFolder.isEmpty())
        return checked(lane.protocol.changeFolder(path)).done();
    // Each step names one folder; where a step fails the server stays in the folder reached.
    for (const RemoteFolderStep &step : RemoteFolderSteps(lane.remoteFolder, path)) {
        const OperationResult result =
            step.up ? lane.protocol.changeToParent() : lane.protocol.changeFolder(step.name);
        if (!checked(result).done())
            return false;
        lane.remoteFolder = step.reached;
    }
    return true;
}

bool QueueTransferJob::enterRemoteFolder(const QByteArray &path, bool quiet)
{
    Session &s = s_;
    main_.remoteListed = false;
    main_.remoteRows.clear();
    if (!changeRemoteFolder(main_, path)) {
        if (!quiet) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
            beep();
        }
        return false;
    }
    main_.remoteFolder = path;
    const QString listingFile = listingFileOf(main_.connection);
    const ListingScope scope(s, listingFile, !place_.besideSession);
    std::optional<FileRows> rows;
    if (checked(main_.protocol.listWorkingFolder()).done()) {
        ListingState state(s.serverKind);
        state.machineListing = main_.connection.machineListing;
        state.charset = s.charset;
        rows = ReadListingFile(listingFile, state);
        if (rows)
            s.serverKind = state.serverKind;
    }
    if (!rows) {
        AppendLog(LogColor::Error, TextId::CannotListFolder, text(path));
        return false;
    }
    main_.remoteRows = std::move(*rows);
    main_.remoteListed = true;
    // In the pane's order: the folder's entries are queued in the order the user sees them.
    if (inputs_.remoteOrder)
        putInShownOrder(main_.remoteRows, *inputs_.remoteOrder);
    {
        // The other connections find what is already there without a listing of their own.
        const std::lock_guard lock(shared_);
        listed_.insert(path, main_.remoteRows);
    }
    if (!place_.besideSession)
        showListedFolder(s, path, main_.remoteRows);
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

QueueTransferJob::Outcome QueueTransferJob::download(Lane &lane, const QueueItem &item)
{
    Session &s = s_;
    const JobOptions &settings = place_.jobOptions;
    // The other connections take items with a destination only; the local pane follows the
    // session's connection.
    const QByteArray destination = item.destination.isEmpty() ? localShown_ : item.destination;
    if (lane.number == 1)
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
    // the right one. Full paths need no change of folder where this run has the folder's listing;
    // the other connections never list.
    std::optional<FileRows> listed = listedInRun(remoteFolder);
    if (remoteFolder != lane.remoteFolder) {
        bool entered = true;
        if (lane.number == 1 && (!listed || s.relativePaths)) {
            entered = enterRemoteFolder(remoteFolder);
            listed = listedInRun(remoteFolder);
        } else if (s.relativePaths) {
            entered = changeRemoteFolder(lane, remoteFolder);
            if (entered)
                lane.remoteFolder = remoteFolder;
        }
        if (!entered && s.relativePaths)
            return Outcome::Failed;
    }

    QByteArray localPath = LocalChildPath(destination, fileName);
    const QByteArray remoteName = s.relativePaths ? fileName : item.name;
    const QString listedDate = listedFileFacts(listed.value_or(FileRows()), fileName).date;
    AppendLog(LogColor::Status, TextId::StartingDownload, text(item.name));
    char type = TransferTypeForPath(localPath, place_.options.asciiExtensions);

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
        if (expected > length && type != 'A' && resumeWanted(false))
            proof = checkFor(lane).download(remoteName, item.name, localPath, length, listedDate);
        const bool resumePossible = proof.verified();
        // The queued size may be old: the check asked the server for the size it has now.
        expected = proof.remoteSize >= 0 ? proof.remoteSize : expected;
        const ExistingFileFacts facts{localFileFacts(localPath), {expected, listedDate}, resumePossible};
        switch (proof.failed() ? unverifiedChoice(fileName, false)
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
        offset == 0 && type == 'I' ? checkFor(lane).describe(remoteName, item.name, expected, listedDate)
                                   : std::nullopt;
    TransferChecksum checksum(lane.protocol, settings.verifyChecksums, type);
    const FileTransfer file{remoteName, QFile::decodeName(localPath), type, offset, expected, checksum.hash()};
    qint64 received = 0;
    const ItemProgressScope progress(lane.connection, inputs_.queue, item, lane.number);
    const OperationResult result = lane.protocol.retrieve(file, received);
    if (lane.number == 1 && !place_.besideSession)
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
        beep();
        return Outcome::Failed;
    }
    if (expected > 0 && received < expected) {
        AppendLog(LogColor::Error, TextId::DownloadIncomplete, long(received), long(expected));
        beep();
        return Outcome::Failed;
    }
    if (!checksum.passes(remoteName, item.name, offset > 0))
        return Outcome::Failed;
    AppendLog(LogColor::Status, TextId::DownloadCompleted);
    return Outcome::Done;
}

QueueTransferJob::Outcome QueueTransferJob::upload(Lane &lane, const QueueItem &item)
{
    Session &s = s_;
    const JobOptions &settings = place_.jobOptions;
    const QByteArray destination = item.destination.isEmpty() ? lane.remoteFolder : item.destination;
    // Without the folder's listing an existing file would be overwritten unasked: the other
    // connections take uploads only into folders this run has listed.
    std::optional<FileRows> listed = listedInRun(destination);
    if (lane.number == 1 && (destination != lane.remoteFolder || !lane.remoteListed) && (!listed || s.relativePaths)) {
        if (!enterRemoteFolder(destination))
            return Outcome::Failed;
        listed = listedInRun(destination);
    } else if (s.relativePaths && destination != lane.remoteFolder) {
        if (!changeRemoteFolder(lane, destination))
            return Outcome::Failed;
        lane.remoteFolder = destination;
    }
    if (!listed)
        return Outcome::Failed;
    const FileRows &remoteRows = *listed;

    const QByteArray fileName = item.name.mid(item.name.lastIndexOf('/') + 1);
    if (!IsPlainEntryName(fileName)) {
        AppendLog(LogColor::Error, TextId::RefusedNotPlainName, text(item.name));
        return Outcome::Refused;
    }
    const qint64 length = localFileLength(item.name);
    QFile source(QFile::decodeName(item.name));
    if (length < 0 || !source.open(QIODevice::ReadOnly)) {
        AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
        beep();
        return Outcome::Failed;
    }
    source.close();

    QByteArray remotePath = RemoteChildPath(destination, fileName);
    QByteArray commandName = s.relativePaths ? fileName : remotePath;
    AppendLog(LogColor::Status, TextId::StartingUpload, text(item.name));
    char type = TransferTypeForPath(item.name, place_.options.asciiExtensions);

    bool resume = false;
    qint64 remoteSize = 0;
    size_t row = 0;
    while (row < remoteRows.size() && rowName(remoteRows, row).compare(fileName, Qt::CaseInsensitive) != 0)
        ++row;
    const bool exists = row < remoteRows.size();
    if (exists) {
        remoteSize = QueueItem::sizeValue(remoteRows.text(row, SizeColumn).toUtf8());
        ResumeProof proof;
        if (length > remoteSize && type != 'A' && resumeWanted(true))
            proof = checkFor(lane).upload(commandName, item.name, remoteSize);
        const bool resumePossible = proof.verified();
        const ExistingFileFacts facts{{remoteSize, remoteRows.text(row, DateTimeColumn)},
                                      localFileFacts(item.name), resumePossible};
        switch (proof.failed() ? unverifiedChoice(fileName, true)
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
    TransferChecksum checksum(lane.protocol, settings.verifyChecksums, type);
    const ItemProgressScope progress(lane.connection, inputs_.queue, item, lane.number);
    const OperationResult result = lane.protocol.store(
        {commandName, QFile::decodeName(item.name), type, resume ? remoteSize : 0, length, checksum.hash()});
    if (lane.number == 1 && !place_.besideSession)
        clearProgressTexts(s);
    if (!place_.besideSession)
        s.refreshAfterJob = true;
    if (!checked(result).done())
        return Outcome::Failed;
    if (!checksum.passes(commandName, item.name, resume))
        return Outcome::Failed;
    AppendLog(LogColor::Status, TextId::UploadCompleted);
    // A later file of the same name in this folder finds this one.
    if (!exists && remotePath == RemoteChildPath(destination, fileName)) {
        FileEntry added;
        added.texts[NameColumn] = QString::fromUtf8(fileName);
        added.rawName = fileName;
        added.texts[SizeColumn] = QString::fromUtf8(GroupedSizeText(length));
        added.itemData = FileRow::fileItemData;
        addListedRow(destination, added);
        if (lane.remoteFolder == destination && lane.remoteListed)
            lane.remoteRows.push_back(added);
    }
    return Outcome::Done;
}

void QueueTransferJob::finish()
{
    Session &s = s_;
    if (s.showProgressInTitle && !place_.besideSession) {
        const QString title = loadText(TextId::ProgramTitle) + QStringLiteral(" - ") + s.serverHost;
        viewposts::status(s, [title](StatusView &view) { view.showWindowTitle(title); });
    }

    const AfterTransferAction action = place_.jobOptions.afterTransfer;
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
    // Beside the session the remote pane never left the user's folder; whoever started the run
    // refreshes it.
    if (!disconnect_ && !place_.besideSession && main_.remoteFolder != savedRemote_ && !savedRemote_.isEmpty())
        (void)enterRemoteFolder(savedRemote_);
    beep();
}
