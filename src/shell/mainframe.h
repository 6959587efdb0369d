#pragma once

#include "engine/loginfields.h"
#include "session/sessionviews.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <optional>

class CLocalWnd;
class CQueueWnd;
class CRemoteWnd;
class DesktopNotifier;
class ProgressStatusBar;
class QueueRun;
class QAction;
class QSplitter;
class QToolBar;
class SessionController;

// The program's one top-level window: menu bar, toolbar, progress status bar, and the panes in
// three rows (log; local and remote side by side; queue). It keeps the title, restores and saves
// its placement and the pane sizes, and owns the session-wide commands. Every other command is an
// action of the pane it acts on: the menus and the toolbar show the action of the pane last worked
// in, and the pane enables its actions only while it is that pane. The session reaches the frame
// as its status and questions view.
class CMainFrame : public QMainWindow, public StatusView, public QuestionView
{
    Q_OBJECT
public:
    // With `startLogin` the frame connects to it at start instead of opening the Site Manager.
    explicit CMainFrame(QWidget *parent = nullptr, std::optional<LoginFields> startLogin = std::nullopt);
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
    // What tells the desktop that a long run of the queue has ended while the window was not in
    // front, and after how long a run does (10 seconds).
    DesktopNotifier *notifier() const { return notifier_; }
    void setRunNoticeAfter(qint64 milliseconds) { runNoticeAfterMs_ = milliseconds; }

    // The action that the menus and the toolbar show now for the command whose prompt is string
    // `id` (a pane's action follows the pane worked in), or nullptr.
    QAction *action(int id) const { return placed_.value(id); }
    // The title: the program, plus " - " and the server while connected.
    void updateTitle();

    // Saves the pane sizes and the placement; runs once, when the window closes or goes.
    void saveLayout();

    // StatusView
    void setProgressText(const QString &text) override;
    void setRateText(const QString &text) override;
    void setFileProgress(qint64 done, qint64 total) override;
    void showWindowTitle(const QString &text) override;
    void openDocument(const QString &path) override;
    void showEncryption(bool control, bool data) override;
    // QuestionView
    std::optional<QString> askPassword() override;
    bool confirmAbortTransfer() override;
    ExistingFileAnswer askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                       const ExistingFileFacts &facts) override;
    ExistingFileAnswer askUnverifiedResume(const QString &fileName, bool upload) override;
    std::optional<QByteArray> askRenameTarget(const QByteArray &path) override;
    bool confirmAfterTransfer(AfterTransferAction action) override;
    CertificateAnswer askCertificate(const CertificateFacts &facts, bool changed) override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // A command of the menus or the toolbar: the frame's own action, or one action for each pane
    // that has the command.
    struct Command {
        QAction *frame = nullptr;
        QAction *local = nullptr;
        QAction *remote = nullptr;
        QAction *queue = nullptr;
    };

    void createPanes();
    void createActions();
    void createPaneCommands();
    void createMenus();
    void createToolBar();
    void restorePaneSizes();
    void restorePlacement();
    void registerViews();
    void connectToServer();
    void openSiteManager();
    void setTransferMode(int mode);
    void showTransferMode();
    void updateFrameActions();
    // A job started or ended: the read-outs of an ended one go, an ended run of the queue may be
    // told to the desktop.
    void followJobs();
    void trackActivePane(QWidget *focused);
    // Puts each command's action for the active pane into the menus and the toolbar.
    void placePaneActions();
    [[nodiscard]] QAction *actionFor(const Command &command) const;
    [[nodiscard]] bool queueHasItems() const;

    QAction *addFrameCommand(int id, const QString &menuText, std::function<void()> run);
    // The prompt, tooltip, toolbar image and id that every action of command `id` carries.
    static void decorate(QAction *action, int id);

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
    QHash<int, Command> commands_;
    QHash<int, QAction *> placed_;
    QList<QWidget *> commandHosts_;
    QueueRun *queueRun_ = nullptr;
    DesktopNotifier *notifier_ = nullptr;
    qint64 runNoticeAfterMs_ = 10000;
    bool layoutSaved_ = false;
    bool siteManagerOpen_ = false;
};
