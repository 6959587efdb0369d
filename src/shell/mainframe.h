#pragma once

#include "session/sessionviews.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class CLocalWnd;
class CQueueWnd;
class CRemoteWnd;
class CommandTarget;
class ProgressStatusBar;
class QAction;
class QSplitter;
class QTimer;
class QToolBar;
class SessionController;

// The program's one top-level window: menu bar, toolbar, progress status bar, and the panes in
// three rows (log; local and remote side by side; queue). It keeps the title, restores and saves
// its placement and the pane sizes, handles the session-wide commands and offers every other
// command to the active pane. The session reaches it as its status and questions view.
class CMainFrame : public QMainWindow, public StatusView, public QuestionView
{
    Q_OBJECT
public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    ProgressStatusBar *progressBar() const { return statusBar_; }
    SessionController *controller() const { return controller_; }
    CRemoteWnd *remotePane() const { return remotePane_; }
    QWidget *logPane() const { return logPane_; }
    CLocalWnd *localPane() const { return localPane_; }
    CQueueWnd *queuePane() const { return queuePane_; }
    QSplitter *outerSplitter() const { return outer_; }
    QSplitter *innerSplitter() const { return inner_; }
    QToolBar *toolBar() const { return toolBar_; }

    // The action of a command id, or nullptr.
    QAction *action(int id) const { return actions_.value(id); }
    // Runs a command as the menu would (a disabled command does nothing).
    void postCommand(int id);
    // Refreshes every command's enabled and checked state; also runs on a short timer.
    void updateCommandStates();
    // The title: the program, plus " - " and the server while connected.
    void updateTitle();

    // Saves the pane sizes and the placement; runs once, when the window closes or goes.
    void saveLayout();

    // StatusView
    void setProgressText(const QString &text) override;
    void setRateText(const QString &text) override;
    void showWindowTitle(const QString &text) override;
    void openDocument(const QString &path) override;
    // QuestionView
    std::optional<QString> askPassword() override;
    bool confirmAbortTransfer() override;
    ExistingFileAnswer askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                       const ExistingFileFacts &facts) override;
    std::optional<QByteArray> askRenameTarget(const QByteArray &path) override;
    bool confirmAfterTransfer(AfterTransferAction action) override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createPanes();
    void createActions();
    void createMenus();
    void createToolBar();
    void restorePaneSizes();
    void restorePlacement();
    void registerViews();
    void runCommand(int id);
    void connectToServer();
    void openSiteManager();
    void trackActivePane(QWidget *focused);
    [[nodiscard]] CommandTarget *activeTarget() const;
    [[nodiscard]] bool frameCommandEnabled(int id) const;
    [[nodiscard]] bool queueHasItems() const;

    QAction *addCommand(int id, const QString &menuText);

    SessionController *controller_ = nullptr;
    ProgressStatusBar *statusBar_ = nullptr;
    QToolBar *toolBar_ = nullptr;
    QSplitter *outer_ = nullptr;
    QSplitter *inner_ = nullptr;
    QWidget *logPane_ = nullptr;
    CLocalWnd *localPane_ = nullptr;
    CRemoteWnd *remotePane_ = nullptr;
    CQueueWnd *queuePane_ = nullptr;
    QPointer<QWidget> activePane_;
    QHash<int, QAction *> actions_;
    QTimer *commandStateTimer_ = nullptr;
    bool layoutSaved_ = false;
    bool siteManagerOpen_ = false;
};
