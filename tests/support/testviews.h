#pragma once

#include "engine/ftpconnection.h"
#include "session/sessionviews.h"

#include <functional>
#include <vector>

class Session;
class SessionController;

namespace testsupport
{

// The session's windows and engine host as recorders: each call goes to the function of the same
// name when a test set one. Installed into the session of `controller` (by default the test's
// own) while it lives.
class TestViews : public RemoteListView,
                  public LocalPaneView,
                  public StatusView,
                  public QuestionView,
                  public EngineHost
{
public:
    TestViews();
    explicit TestViews(SessionController &controller);
    ~TestViews() override;
    TestViews(const TestViews &) = delete;
    TestViews &operator=(const TestViews &) = delete;

    std::function<void(bool)> onSetWaitCursor;
    std::function<void()> onClearRemotePathBox;
    std::function<void()> onClearRemoteList;
    std::function<void(const QByteArray &)> onSetRemotePath;
    std::function<void(const QByteArray &, std::vector<FileEntry>, bool)> onShowRemoteListing;
    std::function<std::optional<ListingCacheTarget>(const QByteArray &)> onListingCacheTarget;
    // The order the last listing handed over came sorted in.
    std::optional<RowOrder> sortedBy;
    std::function<void()> onSessionConnected;
    std::function<void()> onRefreshRemote;
    std::function<void(const QByteArray &, bool)> onDropCachedListings;
    std::function<void(const QByteArray &)> onSelectRemoteItem;
    std::function<void()> onRefreshLocal;
    QByteArray localFolder;
    // The folder shown by the remote pane (setRemotePath sets it).
    QByteArray remotePath;
    std::function<bool(const QByteArray &)> onShowLocalFolder;
    std::function<ExistingFileAnswer(const QString &, bool, bool)> onAskExistingFile;
    // What each existing-file question showed of the two files, in order.
    std::vector<ExistingFileFacts> existingFileFacts;
    // Unset: from the start again, as the dialog's default.
    std::function<ExistingFileAnswer(const QString &, bool)> onAskUnverifiedResume;
    std::function<std::optional<QByteArray>(const QByteArray &)> onAskRenameTarget;
    std::function<bool(AfterTransferAction)> onConfirmAfterTransfer;
    std::function<void(const QString &)> onProgressText;
    std::function<void(const QString &)> onRateText;
    std::function<void(const QString &)> onWindowTitle;
    std::function<void(const QString &)> onOpenDocument;
    std::function<std::optional<QString>()> onAskPassword;
    std::function<bool()> onConfirmAbortTransfer;
    std::function<void()> onConnectionLost;

    void setWaitCursor(bool on) override { call(onSetWaitCursor, on); }
    void clearRemotePathBox() override { call(onClearRemotePathBox); }
    void clearRemoteList() override { call(onClearRemoteList); }
    void setRemotePath(const QByteArray &path) override
    {
        remotePath = path;
        call(onSetRemotePath, path);
    }
    void showRemoteListing(const QByteArray &path, FileRows rows, bool writeCache,
                           std::optional<RowOrder> sortedBy) override
    {
        this->sortedBy = sortedBy;
        if (onShowRemoteListing)
            onShowRemoteListing(path, rows.toVector(), writeCache);
    }
    std::optional<ListingCacheTarget> listingCacheTarget(const QByteArray &path) const override
    {
        return onListingCacheTarget ? onListingCacheTarget(path) : std::nullopt;
    }
    void sessionConnected() override { call(onSessionConnected); }
    void refreshRemote() override { call(onRefreshRemote); }
    void dropCachedListings(const QByteArray &path, bool withSubfolders) override
    {
        call(onDropCachedListings, path, withSubfolders);
    }
    void selectRemoteItem(const QByteArray &name) override { call(onSelectRemoteItem, name); }
    void refreshLocal() override { call(onRefreshLocal); }
    QByteArray currentFolder() const override { return localFolder; }
    QByteArray remoteFolder() const override { return remotePath; }
    bool showLocalFolder(const QByteArray &path) override
    {
        if (onShowLocalFolder && !onShowLocalFolder(path))
            return false;
        localFolder = path;
        return true;
    }
    void setProgressText(const QString &text) override { call(onProgressText, text); }
    void setRateText(const QString &text) override { call(onRateText, text); }
    void showWindowTitle(const QString &text) override { call(onWindowTitle, text); }
    void openDocument(const QString &path) override { call(onOpenDocument, path); }
    std::optional<QString> askPassword() override { return onAskPassword ? onAskPassword() : std::nullopt; }
    bool confirmAbortTransfer() override { return onConfirmAbortTransfer && onConfirmAbortTransfer(); }
    ExistingFileAnswer askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                       const ExistingFileFacts &facts) override
    {
        existingFileFacts.push_back(facts);
        return onAskExistingFile ? onAskExistingFile(fileName, upload, resumePossible) : ExistingFileAnswer{};
    }
    ExistingFileAnswer askUnverifiedResume(const QString &fileName, bool upload) override
    {
        return onAskUnverifiedResume ? onAskUnverifiedResume(fileName, upload)
                                     : ExistingFileAnswer{ExistingFileAnswer::Overwrite, false};
    }
    std::optional<QByteArray> askRenameTarget(const QByteArray &path) override
    {
        return onAskRenameTarget ? onAskRenameTarget(path) : std::nullopt;
    }
    bool confirmAfterTransfer(AfterTransferAction action) override
    {
        return onConfirmAfterTransfer && onConfirmAfterTransfer(action);
    }

    // EngineHost: the engine's read-outs reach the same recorders.
    void progressText(const QString &text) override { setProgressText(text); }
    void rateText(const QString &text) override { setRateText(text); }
    void windowTitle(const QString &text) override { showWindowTitle(text); }
    void connectionLost() override { call(onConnectionLost); }

private:
    template <typename F, typename... Args> static void call(const F &f, Args &&...args)
    {
        if (f)
            f(std::forward<Args>(args)...);
    }

private:
    Session &session_;
};

} // namespace testsupport
