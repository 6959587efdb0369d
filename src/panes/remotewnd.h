#pragma once

#include "controls/paneactions.h"
#include "session/jobrequest.h"
#include "session/remoteoperation.h"
#include "session/sessionviews.h"

#include <QByteArray>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

class CLocalWnd;
class CSortListCtrl;
class ListComparison;
class ListFilterEdit;
class ListingCache;
class QAction;
class QComboBox;
class QPushButton;
class QToolButton;
class RowDragSource;
class RemoteNameEditor;
class SessionController;
class SyncBrowsing;

// The remote pane: one directory of the connected server and the folders visited so far.
// Navigation is cache-first: a directory seen before is shown from its cache file, and only
// otherwise listed by the refresh job. The session reaches it as its RemoteListView.
class CRemoteWnd : public QWidget, public RemoteListView
{
    Q_OBJECT
public:
    explicit CRemoteWnd(SessionController *controller, QWidget *parent = nullptr);
    ~CRemoteWnd() override;

    // The one-time set-up: reads the last session's login into the session, builds the controls.
    void initialUpdate();

    CSortListCtrl *list() const { return list_; }
    QComboBox *pathCombo() const { return pathCombo_; }
    ListFilterEdit *filterEdit() const { return filterEdit_; }
    QToolButton *upButton() const { return upButton_; }
    QPushButton *changeButton() const { return changeButton_; }
    ListingCache *cache() const { return cache_.get(); }

    QByteArray currentPath() const { return currentPath_; }
    void setCurrentPath(const QByteArray &path) { currentPath_ = path; }

    // Shows the directory from the cache or starts the refresh job. True only when the queue job
    // must list it itself (not cached while a transfer runs); commandArgument then holds it.
    bool Navigate(const QByteArray &path);
    void OpenSelection();
    void GoUp();
    void GoToTypedPath();
    [[nodiscard]] QByteArray ChildPath(const QByteArray &name) const;
    void QueueSelection();
    void DownloadNow();
    void SelectAll();
    void DeleteFolderCache();
    void Refresh();

    // The file operations (remoteoperations.cpp); each runs as a worker job.
    void Rename();
    // The end of the in-place edit that Rename began.
    void OnNameEdited(const QByteArray &oldName, const QString &newText);
    void DeleteSelection();
    void NewFolder();
    void MoveTo();
    void DeleteSubfolder();
    void ChangeAttribute();
    void UserCommand();
    RemoteNameEditor *nameEditor() const { return nameEditor_; }

    // The session has logged in: it becomes the last session, and its first folder is shown.
    void OnConnected();
    // Lists the parent of `folder` and selects the row of the folder left.
    void showParentOf(const QByteArray &folder);

    // RemoteListView
    void setWaitCursor(bool on) override;
    void clearRemotePathBox() override;
    void clearRemoteList() override;
    void setRemotePath(const QByteArray &path) override;
    void showRemoteListing(const QByteArray &path, FileRows rows, bool writeCache,
                           std::optional<RowOrder> sortedBy) override;
    [[nodiscard]] std::optional<ListingCacheTarget> listingCacheTarget(const QByteArray &path) const override;
    void sessionConnected() override;
    void serverFolderStepped(const StepFolderRequest &request, const OperationResult &result) override;
    void refreshRemote() override;
    void dropCachedListings(const QByteArray &path, bool withSubfolders) override;
    void selectRemoteItem(const QByteArray &name) override;

    // The panes a drag of selected rows may end on: the queue (Download Later) and the local pane
    // (Download, after the question).
    void setDropTargets(QWidget *queuePane, QWidget *localPane);
    QByteArray remoteFolder() const override { return currentPath_; }
    std::optional<RowOrder> rowOrder() const override;

    // Adds the path to the combo box when absent and selects it.
    void showPathInCombo(const QByteArray &path);

    // The pane's commands (remotecommands.cpp), placed alike in its context menu and in the main
    // window's menus and toolbar.
    struct Actions {
        QAction *download = nullptr;
        QAction *downloadLater = nullptr;
        QAction *rename = nullptr;
        QAction *changeAttribute = nullptr;
        QAction *deleteItems = nullptr;
        QAction *deleteSubfolder = nullptr;
        QAction *moveTo = nullptr;
        QAction *newFolder = nullptr;
        QAction *selectAll = nullptr;
        QAction *userCommand = nullptr;
        QAction *deleteFolderCache = nullptr;
        QAction *refresh = nullptr;
        // Toggles, offered once the pane has its local partner.
        QAction *syncBrowsing = nullptr;
        QAction *compareFolders = nullptr;
    };
    [[nodiscard]] const Actions &commands() const { return actions_; }
    // Their enabled states: the frame says whether this is the pane being worked in, and update()
    // reads the commands' conditions again (selection, session state).
    [[nodiscard]] PaneActions &commandStates() { return paneActions_; }

    // The local pane that synchronized browsing and the folder comparison pair with this one.
    void setPartnerPane(CLocalWnd *local);
    [[nodiscard]] SyncBrowsing *syncBrowsing() const { return sync_; }
    [[nodiscard]] ListComparison *comparison() const { return comparison_; }

signals:
    // The pane shows another folder, or the same again (its path is known before its rows).
    void folderShown(const QByteArray &path);
    // OnConnected has stored the session and asked for the first directory.
    void sessionStarted();
    // Download has queued the selection: the queue transfer is to start.
    void transferRequested();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void showContextMenu(const QPoint &globalPos);
    [[nodiscard]] bool hasSelection() const;
    [[nodiscard]] bool isFolderRow(int row) const;
    // Not connected: false. A job running: logs that it is and gives false.
    [[nodiscard]] bool operationAllowed() const;
    [[nodiscard]] RemoteItem itemAt(int row) const;
    // The selected rows, in list order, for a job.
    [[nodiscard]] RemoteOperation selectionOperation() const;

    // Guarded: the frame's controller, a child created before the panes, is destroyed first.
    QPointer<SessionController> controller_;
    PaneActions paneActions_{this};
    Actions actions_;
    RowDragSource *dragSource_ = nullptr;

    CSortListCtrl *list_ = nullptr;
    std::unique_ptr<ListingCache> cache_;
    QComboBox *pathCombo_ = nullptr;
    ListFilterEdit *filterEdit_ = nullptr;
    QToolButton *upButton_ = nullptr;
    QPushButton *changeButton_ = nullptr;
    RemoteNameEditor *nameEditor_ = nullptr;
    QByteArray currentPath_;
    bool initialised_ = false;
    SyncBrowsing *sync_ = nullptr;
    ListComparison *comparison_ = nullptr;
};
