#pragma once

#include "session/jobcode.h"
#include "platform/commandtarget.h"

#include <QByteArray>
#include <QWidget>

#include <memory>

class CSortListCtrl;
class ListingCache;
class QComboBox;
class QPushButton;
class QTimer;
class QToolButton;

// The remote pane: one directory of the connected server, the folders visited so far, and the
// place where the connection is taken over after login, ended, aborted and kept alive.
// Navigation is cache-first: a directory seen before is shown from its cache file, and only
// otherwise listed by the refresh job.
class CRemoteWnd : public QWidget, public CommandTarget
{
    Q_OBJECT
public:
    explicit CRemoteWnd(QWidget *parent = nullptr);
    ~CRemoteWnd() override;

    // The one-time set-up: reads the last session's login into the session, builds the controls.
    void initialUpdate();

    CSortListCtrl *list() const { return list_; }
    QComboBox *pathCombo() const { return pathCombo_; }
    QToolButton *upButton() const { return upButton_; }
    QPushButton *changeButton() const { return changeButton_; }
    QTimer *keepAliveTimer() const { return keepAlive_; }
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

    // Connection control.
    void OnConnected();
    void Disconnect();
    void AbortJob();
    void KeepAliveTimer();

    // Starts a worker job when none runs; false when one does.
    bool startJob(JobCode code);

    // Adds the path to the combo box when absent and selects it.
    void showPathInCombo(const QByteArray &path);

    [[nodiscard]] bool handlesCommand(int id) const override;
    void runCommand(int id) override;

signals:
    // OnConnected has stored the session and asked for the first directory.
    void sessionStarted();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installHooks();
    void readLastSession();
    void showContextMenu(const QPoint &globalPos);
    void applyWaitCursor(bool on);
    void armKeepAlive();
    [[nodiscard]] bool isFolderRow(int row) const;

    CSortListCtrl *list_ = nullptr;
    std::unique_ptr<ListingCache> cache_;
    QComboBox *pathCombo_ = nullptr;
    QToolButton *upButton_ = nullptr;
    QPushButton *changeButton_ = nullptr;
    QTimer *keepAlive_ = nullptr;
    QByteArray currentPath_;
    bool initialised_ = false;
};
