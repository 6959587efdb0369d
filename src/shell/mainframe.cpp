#include "shell/mainframe.h"
#include "shell/aboutbox.h"
#include "shell/aftertransferdialog.h"
#include "shell/checkforupgrade.h"
#include "shell/existingfiledialog.h"
#include "shell/unverifiedresumedialog.h"
#include "shell/helpwindow.h"
#include "shell/passwordpromptdialog.h"
#include "shell/preferencesdialog.h"
#include "shell/renametargetdialog.h"
#include "shell/weblinks.h"

#include "controls/panekeys.h"
#include "controls/sortlistctrl.h"
#include "panes/localwnd.h"
#include "panes/logwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/beep.h"
#include "platform/commandids.h"
#include "platform/log.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "queue/queuerun.h"
#include "queue/queuewnd.h"
#include "session/sessioncontroller.h"
#include "shell/certificatedialog.h"
#include "shell/desktopnotifier.h"
#include "shell/framelayout.h"
#include "shell/progressstatusbar.h"
#include "shell/quickconnectbar.h"
#include "shell/toolbaricons.h"
#include "sites/siteconnect.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QSplitter>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

// The toolbar in its fixed order; 0 is a separator.
constexpr int toolbarOrder[] = {cmd::SiteManager,
                                cmd::Connect,
                                cmd::Disconnect,
                                0,
                                cmd::Preference,
                                0,
                                cmd::Upload,
                                cmd::Download,
                                cmd::TransferQueue,
                                cmd::Abort,
                                0,
                                cmd::Refresh,
                                0,
                                cmd::Rename,
                                cmd::ChangeAttribute,
                                cmd::Delete,
                                cmd::DeleteSubfolder,
                                cmd::MoveTo,
                                cmd::NewFolder,
                                cmd::UserCommand,
                                0,
                                cmd::SyncBrowsing,
                                cmd::CompareFolders,
                                0,
                                cmd::BinaryMode,
                                cmd::AsciiMode,
                                cmd::AutoMode};

// The prompt is the text before "\n", the tooltip the text after it.
QString promptOf(int id)
{
    return loadText(static_cast<TextId>(id)).section(QLatin1Char('\n'), 0, 0);
}
QString tooltipOf(int id)
{
    const QString text = loadText(static_cast<TextId>(id));
    return text.contains(QLatin1Char('\n')) ? text.section(QLatin1Char('\n'), 1) : QString();
}

} // namespace

CMainFrame::CMainFrame(QWidget *parent, std::optional<LoginFields> startLogin) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainFrame"));
    LoadSettings();
    controller_ = new SessionController(appSettings(), this);
    createPanes();
    createActions();
    createPaneCommands();
    createMenus();
    createToolBar();
    addQuickConnectBar(*this, *controller_);

    statusBar_ = new ProgressStatusBar(this);
    setStatusBar(statusBar_);
    // The message pane says "Ready" whenever no prompt is shown.
    connect(statusBar_, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            statusBar_->showMessage(UiText::tr("Ready"));
    });
    statusBar_->showMessage(UiText::tr("Ready"));
    queueRun_ = new QueueRun(queuePane_->queue(), queuePane_->model(), this);
    notifier_ = new DesktopNotifier(this);
    connect(queueRun_, &QueueRun::totalsChanged, this, [this] {
        const QueueRun::Totals totals = queueRun_->totals();
        statusBar_->SetRunProgress(totals.filesDone, totals.filesTotal, totals.bytesDone, totals.bytesTotal);
    });

    restorePlacement();
    restorePaneSizes();
    registerViews();
    setBeepSound([] { QApplication::beep(); });
    updateTitle();
    updateFrameActions();
    showTransferMode();

    // The commands' states follow what they depend on: the session, the queue, the pane worked in
    // (the panes watch their own selections).
    connect(controller_, &SessionController::stateChanged, this, &CMainFrame::updateFrameActions);
    connect(controller_, &SessionController::stateChanged, this, &CMainFrame::followJobs);
    connect(controller_, &SessionController::stateChanged, localPane_,
            [pane = localPane_] { pane->commandStates().update(); });
    connect(controller_, &SessionController::stateChanged, this, [this] {
        if (!controller_->connected())
            statusBar_->SetEncryption(false, false, false);
    });
    connect(queuePane_, &CQueueWnd::queueChanged, this, &CMainFrame::updateFrameActions);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { trackActivePane(now); });
    // The desktop session is ending: a transfer's local file must not be left half-written open.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { controller_->closeLocalFiles(); });

    // The Site Manager opens as soon as the event loop runs, at every start that names no server.
    if (startLogin)
        QMetaObject::invokeMethod(
            controller_, [controller = controller_, login = *startLogin] { controller->connectTo(login); },
            Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(commands_.value(cmd::SiteManager).frame, &QAction::trigger,
                                  Qt::QueuedConnection);
}

CMainFrame::~CMainFrame()
{
    // Ending the session waits for its clean-up jobs while events keep flowing; that must happen
    // while every pane still stands, not from a pane's own destructor.
    disconnect(qApp, nullptr, this, nullptr);
    controller_->disconnect();
    saveLayout();
    controller_->setStatusView(nullptr);
    controller_->setQuestionView(nullptr);
    controller_->setLocalView(nullptr);
    controller_->setQueueView(nullptr);
}

bool CMainFrame::queueHasItems() const
{
    return queuePane_->queue()->queueHasItems();
}

void CMainFrame::createPanes()
{
    outer_ = new QSplitter(Qt::Vertical, this);
    outer_->setObjectName(QStringLiteral("outerSplitter"));
    outer_->setChildrenCollapsible(true);
    logPane_ = new CLogWnd(outer_);
    logPane_->setObjectName(QStringLiteral("logPane"));
    inner_ = new QSplitter(Qt::Horizontal, outer_);
    inner_->setObjectName(QStringLiteral("innerSplitter"));
    localPane_ = new CLocalWnd(inner_);
    remotePane_ = new CRemoteWnd(controller_, inner_);
    queuePane_ = new CQueueWnd(outer_);
    outer_->addWidget(logPane_);
    outer_->addWidget(inner_);
    outer_->addWidget(queuePane_);
    inner_->addWidget(localPane_);
    inner_->addWidget(remotePane_);
    // The queue row and the remote column take what the stored sizes leave.
    outer_->setStretchFactor(0, 0);
    outer_->setStretchFactor(1, 0);
    outer_->setStretchFactor(2, 1);
    inner_->setStretchFactor(0, 0);
    inner_->setStretchFactor(1, 1);
    setCentralWidget(outer_);
    remotePane_->initialUpdate();
    // The log tells of the remote session: Ctrl+L there goes to the remote path box.
    addPathBoxKey(logPane_, remotePane_->pathCombo());
    queuePane_->initialUpdate();
    localPane_->initialUpdate();

    // Queued, as the menu would run it: by then the queue holds what was just added.
    const auto startTransfer = [this] {
        QMetaObject::invokeMethod(commands_.value(cmd::TransferQueue).frame, &QAction::trigger,
                                  Qt::QueuedConnection);
    };
    queuePane_->setTransferStarter(startTransfer);
    connect(remotePane_, &CRemoteWnd::transferRequested, this, startTransfer);
    localPane_->setTransferPossible([controller = controller_] { return controller->connected(); });
    localPane_->setQueue(queuePane_->queue());
    localPane_->setRemoteFolder([remote = remotePane_] { return remote->currentPath(); });
    localPane_->setTransferStarter(startTransfer);
    localPane_->setDropTargets(queuePane_, remotePane_);
    remotePane_->setDropTargets(queuePane_, localPane_);
    remotePane_->setPartnerPane(localPane_);
    controller_->setLocalView(localPane_);
    controller_->setQueueView(queuePane_->queue());
    // The remote pane is the one worked in at first: its list has the focus when the window
    // becomes active.
    remotePane_->list()->setFocus();
    activePane_ = remotePane_;
    localPane_->commandStates().setActive(false);
    queuePane_->commandStates().setActive(false);
}

void CMainFrame::decorate(QAction *action, int id)
{
    action->setData(id);
    action->setStatusTip(promptOf(id));
    const QString tip = tooltipOf(id);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    if (const QIcon icon = toolbarIcon(id); !icon.isNull())
        action->setIcon(icon);
}

QAction *CMainFrame::addFrameCommand(int id, const QString &menuText, std::function<void()> run)
{
    auto *action = new QAction(menuText, this);
    decorate(action, id);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    commands_.insert(id, {action});
    return action;
}

void CMainFrame::createActions()
{
    addFrameCommand(cmd::SiteManager, UiText::menuText("Site Manager", 'S'), [this] { openSiteManager(); });
    addFrameCommand(cmd::Connect, UiText::menuText("Connect", 'C'), [this] { connectToServer(); });
    addFrameCommand(cmd::Disconnect, UiText::menuText("Disconnect", 'D'), [this] {
        QMetaObject::invokeMethod(
            controller_, [controller = controller_] { controller->disconnect(); }, Qt::QueuedConnection);
    });
    QAction *exit = addFrameCommand(cmd::Exit, UiText::tr("E&xit"), [this] { close(); });
    // The desktop's quit key; a desktop without one gets the usual Ctrl+Q.
    exit->setShortcuts(QKeySequence::Quit);
    if (exit->shortcuts().isEmpty())
        exit->setShortcut(Qt::CTRL | Qt::Key_Q);
    addAction(exit);

    addFrameCommand(cmd::TransferQueue, UiText::menuText("Transfer Queue", 'T'), [this] {
        if (!controller_->busy() && controller_->startJob(TransferRequest{}))
            queueRun_->begin();
    });
    addFrameCommand(cmd::Abort, UiText::menuText("Abort", 'R'), [this] {
        QMetaObject::invokeMethod(
            controller_, [controller = controller_] { controller->abort(); }, Qt::QueuedConnection);
    });

    addFrameCommand(cmd::Preference, UiText::menuText("Preference", 'P'), [this] { openPreferences(this); });
    auto *modes = new QActionGroup(this);
    for (auto [id, text, key, mode] :
         {std::tuple{cmd::BinaryMode, QT_TRANSLATE_NOOP("UiText", "binary mode"), 'B', 1},
          std::tuple{cmd::AsciiMode, QT_TRANSLATE_NOOP("UiText", "ASCII mode"), 'A', 2},
          std::tuple{cmd::AutoMode, QT_TRANSLATE_NOOP("UiText", "auto mode"), 'O', 0}}) {
        const int chosen = mode;
        QAction *action =
            addFrameCommand(id, UiText::menuText(text, key), [this, chosen] { setTransferMode(chosen); });
        action->setCheckable(true);
        // A checked action with an icon shows in the menu as a sunken icon, hard to tell from the
        // others; the menu shows the plain check mark instead, the toolbar keeps the icon.
        action->setIconVisibleInMenu(false);
        modes->addAction(action);
    }

    addFrameCommand(cmd::BriefHelp, UiText::tr("Brief &Help"), [this] { openHelp(this); });
    // The usual help key, in no menu: the window holds it so that it works wherever the focus is.
    QAction *help = addFrameCommand(cmd::Help, UiText::tr("Brief &Help"), [this] { openHelp(this); });
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    addFrameCommand(cmd::VisitHomepage, UiText::menuText("Visit Homepage", 'V'), [] { openHomepage(); });
    addFrameCommand(cmd::CheckForUpgrade, UiText::menuText("Check for upgrade", 'U'),
                    [this] { CheckForUpgrade(this); });
    addFrameCommand(cmd::About, UiText::tr("&About Tidewell..."), [this] { openAboutBox(this); });
}

void CMainFrame::createPaneCommands()
{
    const CLocalWnd::Actions &local = localPane_->commands();
    const CRemoteWnd::Actions &remote = remotePane_->commands();
    const CQueueWnd::Actions &queue = queuePane_->commands();
    const auto add = [this](int id, const Command &command) {
        for (QAction *action : {command.local, command.remote, command.queue})
            if (action)
                decorate(action, id);
        commands_.insert(id, command);
    };
    add(cmd::Upload, {.local = local.upload});
    add(cmd::UploadLater, {.local = local.uploadLater});
    add(cmd::Download, {.remote = remote.download});
    add(cmd::DownloadLater, {.remote = remote.downloadLater});
    add(cmd::Refresh, {.local = local.refresh, .remote = remote.refresh});
    add(cmd::Rename, {.local = local.rename, .remote = remote.rename});
    add(cmd::ChangeAttribute, {.remote = remote.changeAttribute});
    add(cmd::Delete, {.local = local.deleteItems, .remote = remote.deleteItems, .queue = queue.deleteItems});
    add(cmd::DeleteSubfolder, {.local = local.deleteSubfolder, .remote = remote.deleteSubfolder});
    add(cmd::MoveTo, {.remote = remote.moveTo});
    add(cmd::NewFolder, {.local = local.newFolder, .remote = remote.newFolder});
    add(cmd::UserCommand, {.remote = remote.userCommand});
    add(cmd::SelectAll, {.local = local.selectAll, .remote = remote.selectAll});
    add(cmd::SyncBrowsing, {.remote = remote.syncBrowsing});
    add(cmd::CompareFolders, {.remote = remote.compareFolders});
    placePaneActions();
}

void CMainFrame::createMenus()
{
    auto add = [this](QMenu *menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(placed_.value(id));
        }
        commandHosts_.append(menu);
    };
    add(menuBar()->addMenu(UiText::tr("&File")),
        {cmd::SiteManager, cmd::Connect, cmd::Disconnect, 0, cmd::Exit});
    add(menuBar()->addMenu(UiText::tr("&Transfer")),
        {cmd::Upload, cmd::UploadLater, cmd::Download, cmd::DownloadLater, 0, cmd::TransferQueue, cmd::Abort,
         0, cmd::BinaryMode, cmd::AsciiMode, cmd::AutoMode});
    add(menuBar()->addMenu(UiText::tr("&Remote")),
        {cmd::Refresh, 0, cmd::Rename, cmd::ChangeAttribute, cmd::Delete, cmd::DeleteSubfolder, cmd::MoveTo,
         cmd::NewFolder, 0, cmd::UserCommand, 0, cmd::SelectAll, 0, cmd::SyncBrowsing, cmd::CompareFolders});
    add(menuBar()->addMenu(UiText::tr("&Options")), {cmd::Preference});
    add(menuBar()->addMenu(UiText::tr("&Help")),
        {cmd::BriefHelp, cmd::VisitHomepage, cmd::CheckForUpgrade, 0, cmd::About});
}

void CMainFrame::createToolBar()
{
    toolBar_ = addToolBar(UiText::tr("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(22, 22));
    toolBar_->setMovable(false);
    for (int id : toolbarOrder) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(placed_.value(id));
    }
    commandHosts_.append(toolBar_);
}

void CMainFrame::restorePaneSizes()
{
    const QSize screen = maximizedWindowSize();
    // A first start shows enough of the log to read a failure with its context, and enough of the
    // queue to see what comes next.
    auto *log = static_cast<QPlainTextEdit *>(logPane_);
    FirstStartRows rows;
    rows.log = 8 * log->fontMetrics().lineSpacing() +
               2 * (log->frameWidth() + int(std::ceil(log->document()->documentMargin()))) +
               log->horizontalScrollBar()->sizeHint().height();
    rows.queue = queuePane_->heightForRows(6);
    // The rows share what the menu bar, the tool bars and the status bar leave of the window.
    const int chrome = std::max(0, sizeHint().height() - outer_->sizeHint().height());
    rows.shared = geometry().height() - chrome - 2 * outer_->handleWidth();
    const PaneSizes sizes = readPaneSizes(screen, rows);
    const int height = std::max(geometry().height(), sizes.logRow + sizes.middleRow + 1);
    outer_->setSizes({sizes.logRow, sizes.middleRow, std::max(0, height - sizes.logRow - sizes.middleRow)});
    const int width = std::max(geometry().width(), sizes.localColumn + 1);
    inner_->setSizes({sizes.localColumn, std::max(0, width - sizes.localColumn)});
}

void CMainFrame::restorePlacement()
{
    const WindowPlacement placement = readPlacement(maximizedWindowSize());
    setGeometry(placement.normal);
    if (placement.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void CMainFrame::saveLayout()
{
    if (layoutSaved_)
        return;
    layoutSaved_ = true;
    const QList<int> rows = outer_->sizes();
    const QList<int> columns = inner_->sizes();
    writePaneSizes({rows.value(0), rows.value(1), columns.value(0)});
    writePlacement({normalGeometry(), isMaximized()});
}

void CMainFrame::registerViews()
{
    controller_->setStatusView(this);
    controller_->setQuestionView(this);
}

// A read-out still on its way when its transfer has ended must not stay behind it.
void CMainFrame::setProgressText(const QString &text)
{
    if (text.isEmpty() || controller_->transferRunning())
        statusBar_->SetProgressText(text);
}

void CMainFrame::setRateText(const QString &text)
{
    if (text.isEmpty() || controller_->transferRunning())
        statusBar_->SetRateText(text);
}

void CMainFrame::setFileProgress(qint64 done, qint64 total)
{
    if (controller_->transferRunning())
        statusBar_->SetFileProgress(done, total);
}

void CMainFrame::followJobs()
{
    // The user's jobs come and go on the session's connection while a run goes on beside it.
    if (controller_->busy() || controller_->transferRunning())
        return;
    // The run takes in what is still on its way before the bars go.
    const bool runEnded = queueRun_->running();
    const QueueRun::Summary summary = runEnded ? queueRun_->end() : QueueRun::Summary{};
    statusBar_->ClearProgress();
    if (runEnded && summary.elapsedMs > runNoticeAfterMs_ && !isActiveWindow())
        (void)notifier_->notify(summary.title(), summary.body());
}

void CMainFrame::showWindowTitle(const QString &text)
{
    setWindowTitle(text);
}

void CMainFrame::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CMainFrame::showEncryption(bool control, bool data)
{
    statusBar_->SetEncryption(true, control, data);
}

CertificateAnswer CMainFrame::askCertificate(const CertificateFacts &facts, bool changed)
{
    return askCertificateWithDialog(facts, changed, this);
}

std::optional<QString> CMainFrame::askPassword()
{
    return askPasswordWithDialog();
}

bool CMainFrame::confirmAbortTransfer()
{
    return QMessageBox::question(this, loadText(TextId::ProgramTitle),
                                 loadText(TextId::ConfirmAbortTransfer).trimmed(),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

ExistingFileAnswer CMainFrame::askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                               const ExistingFileFacts &facts)
{
    return askExistingFileWithDialog(fileName, upload, resumePossible, facts, this);
}

ExistingFileAnswer CMainFrame::askUnverifiedResume(const QString &fileName, bool upload)
{
    return askUnverifiedResumeWithDialog(fileName, upload, this);
}

std::optional<QByteArray> CMainFrame::askRenameTarget(const QByteArray &path)
{
    return askRenameTargetWithDialog(path, this);
}

bool CMainFrame::confirmAfterTransfer(AfterTransferAction action)
{
    return confirmAfterTransferWithDialog(action, this);
}

void CMainFrame::connectToServer()
{
    if (controller_->serverHost().isEmpty()) {
        QMetaObject::invokeMethod(commands_.value(cmd::SiteManager).frame, &QAction::trigger,
                                  Qt::QueuedConnection);
        return;
    }
    (void)controller_->connectToServer();
}

void CMainFrame::openSiteManager()
{
    // A second request while the dialog is open (Connect without a server) changes nothing.
    if (siteManagerOpen_)
        return;
    siteManagerOpen_ = true;
    // On Connect the dialog ends the running session and asks for the connect job itself.
    (void)OpenSiteManager(this, *controller_);
    siteManagerOpen_ = false;
}

void CMainFrame::setTransferMode(int mode)
{
    appSettings().transferMode = mode;
    showTransferMode();
}

void CMainFrame::showTransferMode()
{
    const int mode = appSettings().transferMode;
    commands_.value(cmd::BinaryMode).frame->setChecked(mode == 1);
    commands_.value(cmd::AsciiMode).frame->setChecked(mode == 2);
    commands_.value(cmd::AutoMode).frame->setChecked(mode == 0);
}

void CMainFrame::updateFrameActions()
{
    const bool connected = controller_->connected();
    commands_.value(cmd::Connect).frame->setEnabled(!connected);
    commands_.value(cmd::Disconnect).frame->setEnabled(connected);
    commands_.value(cmd::TransferQueue).frame->setEnabled(connected && queueHasItems());
    commands_.value(cmd::Abort).frame->setEnabled(controller_->busy() || controller_->transferRunning());
}

void CMainFrame::trackActivePane(QWidget *focused)
{
    QWidget *pane = nullptr;
    for (QWidget *w = focused; w && !pane; w = w->parentWidget())
        if (w == localPane_ || w == remotePane_ || w == queuePane_ || w == logPane_)
            pane = w;
    if (!pane || pane == activePane_.data())
        return;
    activePane_ = pane;
    localPane_->commandStates().setActive(pane == localPane_);
    remotePane_->commandStates().setActive(pane == remotePane_);
    queuePane_->commandStates().setActive(pane == queuePane_);
    placePaneActions();
}

QAction *CMainFrame::actionFor(const Command &command) const
{
    if (command.frame)
        return command.frame;
    if (activePane_.data() == localPane_ && command.local)
        return command.local;
    if (activePane_.data() == queuePane_ && command.queue)
        return command.queue;
    // Shown disabled: the pane that has the command is not the one worked in.
    return command.remote ? command.remote : command.local;
}

void CMainFrame::placePaneActions()
{
    for (auto it = commands_.cbegin(); it != commands_.cend(); ++it) {
        QAction *now = actionFor(it.value());
        QAction *before = placed_.value(it.key());
        if (now == before)
            continue;
        placed_.insert(it.key(), now);
        for (QWidget *host : std::as_const(commandHosts_)) {
            if (before && host->actions().contains(before)) {
                host->insertAction(before, now);
                host->removeAction(before);
            }
        }
    }
}

void CMainFrame::updateTitle()
{
    QString title = loadText(TextId::ProgramTitle);
    if (controller_->connected())
        title += QStringLiteral(" - ") + controller_->serverHost();
    setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange && event->type() != QEvent::WindowStateChange)
        return;
    // While minimised the transfer loops write their progress into the title.
    if (isMinimized()) {
        controller_->showProgressInTitle(true);
    } else {
        controller_->showProgressInTitle(false);
        updateTitle();
    }
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    saveLayout();
    QMainWindow::closeEvent(event);
}
