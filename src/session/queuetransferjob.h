#pragma once

#include "engine/listingparser.h"
#include "platform/rowsort.h"
#include "engine/ftpconnection.h"
#include "session/existingfileanswer.h"
#include "session/joboptions.h"
#include "session/existingfilefacts.h"
#include "session/operationresult.h"
#include "session/queueitem.h"
#include "session/resumecheck.h"
#include "session/transferinputs.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class RemoteProtocol;
class Session;
class TransferLanes;
struct SessionViews;

// Where a run works. On the session's own connection (the worker's job) the remote pane follows
// the run; beside it, on a connection of the run's own, the session's connection and the remote
// pane stay the user's. The preferences are taken where the run starts: the session's copy
// changes with every job the user starts meanwhile.
struct RunPlace {
    bool besideSession = false;
    // The run's own connections, the one it starts on included; 0: the preference.
    int connections = 0;
    // Beside the session with relative paths: the folder the server put the run's connection in.
    QByteArray startFolder;
    EngineOptions options;
    JobOptions jobOptions;
};

// Runs the queue on the worker thread (or any thread, with no window at all). Done unless the
// connection was lost or the run stopped on the way (what was not done stays queued).
OperationResult TransferQueueJob(RemoteProtocol &protocol, Session &s, const TransferInputs &inputs);
// The inputs as the registered views give them now. Window thread.
[[nodiscard]] TransferInputs transferInputs(const SessionViews &views);

// One run of the queue transfer: every file at the head of the queue downloaded or uploaded,
// every folder expanded into its entries (depth first), until the queue holds nothing but the
// items that failed in this run. Those stay queued for a later run; an item that completed, was
// skipped or can never be transferred (a refused name) leaves the queue. Worker thread.
//
// With "simultaneous transfers" above 1, transfer connections beside the session's own take file
// items as well (TransferLanes): each item is claimed by one connection at a time and stays
// queued until its transfer has ended; folders are expanded on the session's connection only.
class QueueTransferJob
{
public:
    QueueTransferJob(RemoteProtocol &protocol, Session &s, const TransferInputs &inputs);
    // On `connection`, which `protocol` talks over.
    QueueTransferJob(RemoteProtocol &protocol, FtpConnection &connection, Session &s, const TransferInputs &inputs,
                     RunPlace place);
    ~QueueTransferJob();
    QueueTransferJob(const QueueTransferJob &) = delete;
    QueueTransferJob &operator=(const QueueTransferJob &) = delete;
    [[nodiscard]] OperationResult run();
    // The user said Yes to ending the session after the run.
    [[nodiscard]] bool disconnectRequested() const { return disconnect_; }

    // One connection's side of the run: the folder its server is in and that folder's listing.
    // Number 1 is the session's own connection, which also expands folders and moves the panes.
    struct Lane {
        RemoteProtocol &protocol;
        FtpConnection &connection;
        int number = 1;
        QByteArray remoteFolder;
        bool remoteListed = false;
        FileRows remoteRows;
    };
    // The loop of an extra connection (on its own thread): file items until the run ends.
    void runLane(Lane &lane);
    // Claims the next item this connection may take, or nullopt.
    [[nodiscard]] std::optional<QueueItem> claim(const Lane &lane);
    void release(const QueueItem &item);
    // The run is over: the other connections leave once their item is done.
    void endRun();
    [[nodiscard]] const RunPlace &place() const { return place_; }

private:
    enum class Outcome {
        Done,   // transferred or skipped: leaves the queue
        Failed, // stays queued, passed over for the rest of the run
        Refused // can never be transferred: leaves the queue
    };

    // A step that lost the connection or was stopped ends the run where it is, as the engine's
    // own exceptions do; a refusal comes back.
    struct RunEnded {
        OperationResult result;
    };
    [[nodiscard]] OperationResult checked(OperationResult result) const;

    void runQueue();
    // A claimed item's whole turn on one connection: the transfer, then the queue told.
    void transferItem(Lane &lane, const QueueItem &item);
    [[nodiscard]] Outcome download(Lane &lane, const QueueItem &item);
    [[nodiscard]] Outcome upload(Lane &lane, const QueueItem &item);
    // Replace the folder item at the head by its entries (folderexpansion.cpp).
    void ExpandDownloadFolder(const QueueItem &item);
    void ExpandUploadFolder(const QueueItem &item);
    void finish();

    // The answer for an existing destination: the one kept for the direction, or the user's.
    [[nodiscard]] ExistingFileAnswer::Choice existingFileChoice(const QByteArray &fileName, bool upload,
                                                                bool resumePossible,
                                                                const ExistingFileFacts &facts);
    // Changes the server's folder and lists it into the job (and the remote pane); false when
    // it cannot be entered or listed. `quiet`: a folder that cannot be entered is no error to
    // tell (a link that may lead to a file).
    bool enterRemoteFolder(const QByteArray &path, bool quiet = false);
    // Only the change of folder: with relative paths step by step from the folder the server
    // is in, else by the full path.
    bool changeRemoteFolder(Lane &lane, const QByteArray &path);
    // The listing of `folder` as this run found it, if it listed it.
    [[nodiscard]] std::optional<FileRows> listedInRun(const QByteArray &folder) const;
    void addListedRow(const QByteArray &folder, const FileEntry &entry);
    // The local pane follows the folder in use.
    void followLocalFolder(const QByteArray &path);
    // The folder created (or found) on this side; false when it cannot be used.
    [[nodiscard]] static bool makeLocalFolder(const QByteArray &path);
    // Puts entries at the head in place of the folder item.
    void replaceHead(const QueueItem &folder, const std::vector<QueueItem> &entries);
    void drop(const QueueItem &item);
    [[nodiscard]] std::optional<QByteArray> askRenameTarget(const QByteArray &path);
    // The resume check's side of the questions: whether a check is worth its transfer under the
    // run's "All" answer, and the question after a failed one, asked like the others one at a
    // time. Each connection checks over its own protocol.
    [[nodiscard]] bool resumeWanted(bool upload);
    [[nodiscard]] ExistingFileAnswer::Choice unverifiedChoice(const QByteArray &fileName, bool upload);
    [[nodiscard]] ResumeCheck checkFor(Lane &lane) const;

    void beep() const;

    RemoteProtocol &protocol_;
    Session &s_;
    TransferInputs inputs_;
    const RunPlace place_;
    QByteArray savedLocal_;
    QByteArray savedRemote_;
    QByteArray localShown_;
    // The questions go to the user one at a time, and an "All" answer holds for every connection.
    std::mutex questions_;
    ExistingFileAnswer downloadAnswer_{ExistingFileAnswer::Overwrite, false};
    ExistingFileAnswer uploadAnswer_{ExistingFileAnswer::Overwrite, false};
    std::atomic<bool> downloadedAny_{false};
    bool disconnect_ = false;

    // The session's connection: the folder its server is in, as the job last entered it, and
    // its listing.
    Lane main_;
    // The session's connection expands folders before it takes files while others run.
    bool preferFolders_ = false;

    // Folders expanded in this run: a link back up the tree must not expand for ever.
    QSet<QByteArray> visitedRemote_;
    std::set<std::pair<quint64, quint64>> visitedLocal_;

    // What the connections share, under `shared_`: the items being transferred (by source path),
    // those that failed in this run, and the remote folders listed in this run.
    mutable std::mutex shared_;
    // Told when an item is released or the run ends.
    std::condition_variable changed_;
    bool ending_ = false;
    QSet<QByteArray> claimed_;
    QList<QueueItem> failed_;
    ResumeCheck resumeCheck_{protocol_, ResumeCheck::serverOf(s_), ResumeCheck::askThroughWindow(s_)};
    QHash<QByteArray, FileRows> listed_;
};
