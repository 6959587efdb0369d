#pragma once

#include "engine/listingparser.h"
#include "engine/tlscertificate.h"
#include "engine/transfertexts.h"
#include "platform/rowsort.h"
#include "session/certificateanswer.h"
#include "session/existingfileanswer.h"
#include "session/existingfilefacts.h"
#include "session/listingcachetarget.h"
#include "session/transferqueue.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct OperationResult;
struct StepFolderRequest;

// The small interfaces through which the session reaches the windows. The windows implement them
// and register with the session controller; every call runs on the window thread (the worker
// posts them there).


// The remote pane.
class RemoteListView
{
public:
    virtual ~RemoteListView() = default;
    virtual void setWaitCursor(bool on) = 0;
    // A new session: the box of folders visited and the list are emptied.
    virtual void clearRemotePathBox() = 0;
    virtual void clearRemoteList() = 0;
    // The working directory as the server named it (bytes).
    virtual void setRemotePath(const QByteArray &path) = 0;
    // The parsed rows of `path`, handed over whole. Rows of another folder than the one shown
    // are only cached; `writeCache` false keeps them out of the cache (listed during a transfer,
    // or cached by the worker already). `sortedBy`: the order the rows come in, when the worker
    // has sorted them.
    virtual void showRemoteListing(const QByteArray &path, FileRows rows, bool writeCache,
                                   std::optional<RowOrder> sortedBy) = 0;
    // The cache of `path` as the worker is to write it before handing the rows over, asked when
    // a job to list `path` starts: the pane will show that folder, in its list's order. nullopt
    // leaves the cache to showRemoteListing.
    [[nodiscard]] virtual std::optional<ListingCacheTarget> listingCacheTarget(const QByteArray &path) const
    {
        (void)path;
        return std::nullopt;
    }
    // The connect job has logged in: store the session, show the first folder.
    virtual void sessionConnected() = 0;
    // The server has answered the pane's step into a folder or up (relative-path mode).
    virtual void serverFolderStepped(const StepFolderRequest &request, const OperationResult &result)
    {
        (void)request;
        (void)result;
    }
    // A job changed the folder on the server (a user command, an attribute change).
    virtual void refreshRemote() = 0;
    // Deletes the cache file of `path`, and with `withSubfolders` those of every folder below it.
    virtual void dropCachedListings(const QByteArray &path, bool withSubfolders) = 0;
    // Selects the row of that name, when the list shows one.
    virtual void selectRemoteItem(const QByteArray &name) = 0;
    // The folder the pane shows (the queue job puts it back at its end).
    [[nodiscard]] virtual QByteArray remoteFolder() const = 0;
    // The order the list sorts its rows in; none when it shows them as listed.
    [[nodiscard]] virtual std::optional<RowOrder> rowOrder() const { return std::nullopt; }
};

// The local pane.
class LocalPaneView
{
public:
    virtual ~LocalPaneView() = default;
    virtual void refreshLocal() = 0;
    // The folder the pane shows (the destination of a download queued now). Any thread.
    [[nodiscard]] virtual QByteArray currentFolder() const = 0;
    // Shows the folder (the queue job follows its transfers); false when it is no folder. Any
    // thread.
    virtual bool showLocalFolder(const QByteArray &path) = 0;
    // The order the list sorts its rows in; none when unsorted.
    [[nodiscard]] virtual std::optional<RowOrder> rowOrder() const { return std::nullopt; }
};

// The frame: status bar read-outs, title, documents.
class StatusView
{
public:
    virtual ~StatusView() = default;
    virtual void setProgressText(const QString &text) = 0;
    virtual void setRateText(const QString &text) = 0;
    // A running transfer's bytes done of its size; by default only their text.
    virtual void setFileProgress(qint64 done, qint64 total) { setProgressText(ProgressText(done, total)); }
    virtual void showWindowTitle(const QString &text) = 0;
    // Opens a local file in the desktop's viewer for it (the debug copy of a listing).
    virtual void openDocument(const QString &path) = 0;
    // Whether the session's control and data connections are encrypted.
    virtual void showEncryption(bool /*control*/, bool /*data*/) {}
};

// Questions put to the user on behalf of a job.
class QuestionView
{
public:
    virtual ~QuestionView() = default;
    // The password of a login without a stored one; nullopt when cancelled.
    virtual std::optional<QString> askPassword() = 0;
    // Abort asks first while a transfer runs.
    virtual bool confirmAbortTransfer() = 0;
    // The destination file of a transfer exists: resume, rename, overwrite or skip, with the two
    // files' sizes and dates shown. Answers Resume by itself after the dialog time-out.
    virtual ExistingFileAnswer askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                               const ExistingFileFacts &facts) = 0;
    // A resume could not be proved safe: "Download again from the start" (Overwrite) or "Skip",
    // with "All". From the start by itself after the dialog time-out.
    virtual ExistingFileAnswer askUnverifiedResume(const QString & /*fileName*/, bool /*upload*/)
    {
        return {ExistingFileAnswer::Overwrite, false};
    }
    // Another full destination path for the file; nullopt when dismissed.
    virtual std::optional<QByteArray> askRenameTarget(const QByteArray &path) = 0;
    // The after-transfer action asks first; Yes by itself after the dialog time-out.
    virtual bool confirmAfterTransfer(AfterTransferAction action) = 0;
    // A server certificate did not verify: trust it always, this once, or not. `changed`: the
    // host was trusted always with another certificate. Cancel by itself after the time-out.
    virtual CertificateAnswer askCertificate(const CertificateFacts & /*facts*/, bool /*changed*/)
    {
        return CertificateAnswer::Cancel;
    }
};

struct SessionViews {
    RemoteListView *remote = nullptr;
    LocalPaneView *local = nullptr;
    StatusView *status = nullptr;
    QuestionView *questions = nullptr;
    TransferQueue *queue = nullptr;
};
