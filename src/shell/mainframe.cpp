#include "shell/mainframe.h"
#include "shell/aboutbox.h"
#include "shell/aftertransferdialog.h"
#include "shell/checkforupgrade.h"
#include "shell/existingfiledialog.h"
#include "shell/helpwindow.h"
#include "shell/passwordpromptdialog.h"
#include "shell/preferencesdialog.h"
#include "shell/renametargetdialog.h"
#include "shell/weblinks.h"

#include "engine/controlconnection.h"
#include "panes/localwnd.h"
#include "panes/logwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/beep.h"
#include "platform/commandids.h"
#include "platform/commandtarget.h"
#include "platform/log.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/uitext.h"
#include "queue/queuewnd.h"
#include "session/sessioncontroller.h"
#include "session/sessionstate.h"
#include "session/worker.h"
#include "shell/framelayout.h"
#include "shell/progressstatusbar.h"
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
#include <QScreen>
#include <QSessionManager>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

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
                                cmd::BinaryMode,
                                cmd::AsciiMode,
                                cmd::AutoMode};

// Commands the frame answers itself; every other one goes to the active pane.
constexpr int frameCommands[] = {
    cmd::SiteManager,     cmd::Connect,    cmd::Disconnect, cmd::TransferQueue, cmd::Abort,
    cmd::Preference,      cmd::BinaryMode, cmd::AsciiMode,  cmd::AutoMode,      cmd::VisitHomepage,
    cmd::CheckForUpgrade, cmd::BriefHelp,  cmd::Help,       cmd::About,      cmd::Exit};

bool isFrameCommand(int id)
{
    return std::find(std::begin(frameCommands), std::end(frameCommands), id) != std::end(frameCommands);
}

// A menu text with its access key: the English text gets "&" before the key letter; a translated
// one, whose letters differ, gets the key in brackets the way Korean menus show it.
QString menuText(const char *english, char key)
{
    const QString source = QString::fromUtf8(english);
    QString text = uiText(english);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QString label = tab >= 0 ? text.left(tab) : text;
    const QString shortcut = tab >= 0 ? text.mid(tab) : QString();
    if (text == source) {
        const qsizetype at = label.indexOf(QLatin1Char(key), 0, Qt::CaseInsensitive);
        label.insert(std::max<qsizetype>(at, 0), QLatin1Char('&'));
    } else {
        const bool dots = label.endsWith(QStringLiteral("..."));
        if (dots)
            label.chop(3);
        label += QStringLiteral("(&%1)").arg(QChar::fromLatin1(key).toUpper());
        if (dots)
            label += QStringLiteral("...");
    }
    return label + shortcut;
}

// The prompt is the text before "\n", the tooltip the text after it.
QString promptOf(int id)
{
    return loadString(id).section(QLatin1Char('\n'), 0, 0);
}
QString tooltipOf(int id)
{
    const QString text = loadString(id);
    return text.contains(QLatin1Char('\n')) ? text.section(QLatin1Char('\n'), 1) : QString();
}

} // namespace

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainFrame"));
    LoadSettings();
    controller_ = new SessionController(this);
    createPanes();
    createActions();
    createMenus();
    createToolBar();

    statusBar_ = new ProgressStatusBar(this);
    setStatusBar(statusBar_);
    // The message pane says "Ready" whenever no prompt is shown.
    connect(statusBar_, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            statusBar_->showMessage(uiText("Ready"));
    });
    statusBar_->showMessage(uiText("Ready"));
    session().busy = false;

    restorePlacement();
    restorePaneSizes();
    registerViews();
    setBeepSound([] { QApplication::beep(); });
    updateTitle();
    updateCommandStates();

    commandStateTimer_ = new QTimer(this);
    commandStateTimer_->setInterval(200);
    connect(commandStateTimer_, &QTimer::timeout, this, &CMainFrame::updateCommandStates);
    commandStateTimer_->start();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { trackActivePane(now); });
    // The desktop session is ending: a transfer's local file must not be left half-written open.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [](QSessionManager &) { (void)CloseLocalFiles(session()); });

    // The Site Manager opens as soon as the event loop runs, at every start.
    postCommand(cmd::SiteManager);
}

CMainFrame::~CMainFrame()
{
    // Ending the session waits for its clean-up jobs while events keep flowing; that must happen
    // while every pane still stands, not from a pane's own destructor.
    commandStateTimer_->stop();
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
    return queuePane_->queueHasItems();
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
    connect(remotePane_, &CRemoteWnd::commandRequested, this, &CMainFrame::postCommand);
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
    queuePane_->initialUpdate();
    localPane_->initialUpdate();

    const auto startTransfer = [this] { postCommand(cmd::TransferQueue); };
    queuePane_->setTransferStarter(startTransfer);
    localPane_->setQueue(queuePane_);
    localPane_->setRemoteFolder([remote = remotePane_] { return remote->currentPath(); });
    localPane_->setTransferStarter(startTransfer);
    localPane_->setDropTargets(queuePane_, remotePane_);
    remotePane_->setDropTargets(queuePane_, localPane_);
    controller_->setLocalView(localPane_);
    controller_->setQueueView(queuePane_);
    activePane_ = remotePane_;
}

QAction *CMainFrame::addCommand(int id, const QString &menuText)
{
    auto *action = new QAction(menuText, this);
    action->setData(id);
    action->setStatusTip(promptOf(id));
    const QString tip = tooltipOf(id);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    if (const QIcon icon = toolbarIcon(id); !icon.isNull())
        action->setIcon(icon);
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    actions_.insert(id, action);
    return action;
}

void CMainFrame::createActions()
{
    addCommand(cmd::SiteManager, menuText("Site Manager", 'S'));
    addCommand(cmd::Connect, menuText("Connect", 'C'));
    addCommand(cmd::Disconnect, menuText("Disconnect", 'D'));
    addCommand(cmd::Exit, uiText("E&xit"));

    addCommand(cmd::Upload, menuText("Upload", 'U'));
    addCommand(cmd::UploadLater, menuText("Upload Later", 'L'));
    addCommand(cmd::Download, menuText("Download", 'D'));
    addCommand(cmd::DownloadLater, menuText("Download Later", 'A'));
    addCommand(cmd::TransferQueue, menuText("Transfer Queue", 'T'));
    addCommand(cmd::Abort, menuText("Abort", 'B'));
    addCommand(cmd::Refresh, menuText("Refresh\tF5", 'R'));
    addCommand(cmd::Rename, menuText("Rename...", 'N'));
    addCommand(cmd::ChangeAttribute, menuText("Change Attribute...", 'B'));
    addCommand(cmd::Delete, menuText("Delete...\tDel", 'E'));
    addCommand(cmd::DeleteSubfolder, menuText("Delete subfolder...", 'S'));
    addCommand(cmd::MoveTo, menuText("Move to...", 'M'));
    addCommand(cmd::NewFolder, menuText("New Folder...", 'F'));
    addCommand(cmd::UserCommand, menuText("User Command...", 'C'));
    addCommand(cmd::SelectAll, menuText("Select All", 'A'));

    addCommand(cmd::Preference, menuText("Preference", 'P'));
    auto *modes = new QActionGroup(this);
    for (auto [id, text, key] :
         {std::tuple{cmd::BinaryMode, "binary mode", 'B'}, std::tuple{cmd::AsciiMode, "ASCII mode", 'A'},
          std::tuple{cmd::AutoMode, "auto mode", 'U'}}) {
        QAction *mode = addCommand(id, menuText(text, key));
        mode->setCheckable(true);
        // A checked action with an icon shows in the menu as a sunken icon, hard to tell from the
        // others; the menu shows the plain check mark instead, the toolbar keeps the icon.
        mode->setIconVisibleInMenu(false);
        modes->addAction(mode);
    }

    addCommand(cmd::BriefHelp, uiText("Brief &Help"));
    // The usual help key, in no menu: the window holds it so that it works wherever the focus is.
    QAction *help = addCommand(cmd::Help, uiText("Brief &Help"));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    addCommand(cmd::VisitHomepage, menuText("Visit Homepage", 'V'));
    addCommand(cmd::CheckForUpgrade, menuText("Check for upgrade", 'U'));
    addCommand(cmd::About, uiText("&About Tidewell..."));
}

void CMainFrame::createMenus()
{
    auto add = [this](QMenu *menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(actions_.value(id));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
    };
    add(menuBar()->addMenu(uiText("&File")), {cmd::SiteManager, cmd::Connect, cmd::Disconnect, 0, cmd::Exit});
    add(menuBar()->addMenu(uiText("&Transfer")),
        {cmd::Upload, cmd::UploadLater, cmd::Download, cmd::DownloadLater, 0, cmd::TransferQueue, cmd::Abort,
         0, cmd::BinaryMode, cmd::AsciiMode, cmd::AutoMode});
    add(menuBar()->addMenu(uiText("&Remote")),
        {cmd::Refresh, 0, cmd::Rename, cmd::ChangeAttribute, cmd::Delete, cmd::DeleteSubfolder, cmd::MoveTo,
         cmd::NewFolder, 0, cmd::UserCommand, 0, cmd::SelectAll});
    add(menuBar()->addMenu(uiText("&Options")), {cmd::Preference});
    add(menuBar()->addMenu(uiText("&Help")),
        {cmd::BriefHelp, cmd::VisitHomepage, cmd::CheckForUpgrade, 0, cmd::About});
}

void CMainFrame::createToolBar()
{
    toolBar_ = addToolBar(uiText("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(22, 22));
    toolBar_->setMovable(false);
    for (int id : toolbarOrder) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(actions_.value(id));
    }
}

void CMainFrame::restorePaneSizes()
{
    const QSize screen = maximizedWindowSize();
    const PaneSizes sizes = readPaneSizes(screen);
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

void CMainFrame::setProgressText(const QString &text)
{
    statusBar_->SetProgressText(text);
}

void CMainFrame::setRateText(const QString &text)
{
    statusBar_->SetRateText(text);
}

void CMainFrame::showWindowTitle(const QString &text)
{
    setWindowTitle(text);
}

void CMainFrame::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<QString> CMainFrame::askPassword()
{
    return askPasswordWithDialog();
}

bool CMainFrame::confirmAbortTransfer()
{
    return QMessageBox::question(this, loadString(128), loadString(184).trimmed(),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

ExistingFileAnswer CMainFrame::askExistingFile(const QString &fileName, bool upload, bool resumePossible,
                                               const ExistingFileFacts &facts)
{
    return askExistingFileWithDialog(fileName, upload, resumePossible, facts, this);
}

std::optional<QByteArray> CMainFrame::askRenameTarget(const QByteArray &path)
{
    return askRenameTargetWithDialog(path, this);
}

bool CMainFrame::confirmAfterTransfer(AfterTransferAction action)
{
    return confirmAfterTransferWithDialog(action, this);
}

void CMainFrame::postCommand(int id)
{
    QPointer<CMainFrame> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, id] {
            if (!self)
                return;
            self->updateCommandStates();
            if (QAction *a = self->actions_.value(id); a && !a->isEnabled())
                return;
            self->runCommand(id);
        },
        Qt::QueuedConnection);
}

void CMainFrame::runCommand(int id)
{
    switch (id) {
    case cmd::SiteManager:
        openSiteManager();
        return;
    case cmd::Connect:
        connectToServer();
        return;
    case cmd::Disconnect:
        QMetaObject::invokeMethod(
            controller_, [controller = controller_] { controller->disconnect(); }, Qt::QueuedConnection);
        return;
    case cmd::Abort:
        QMetaObject::invokeMethod(
            controller_, [controller = controller_] { controller->abort(); }, Qt::QueuedConnection);
        return;
    case cmd::TransferQueue:
        if (!session().busy)
            (void)StartJob(JobCode::TransferQueue, BusyMessage::Silent);
        return;
    case cmd::BinaryMode:
        appSettings().transferMode = 1;
        updateCommandStates();
        return;
    case cmd::AsciiMode:
        appSettings().transferMode = 2;
        updateCommandStates();
        return;
    case cmd::AutoMode:
        appSettings().transferMode = 0;
        updateCommandStates();
        return;
    case cmd::About:
        openAboutBox(this);
        return;
    case cmd::Exit:
        close();
        return;
    case cmd::Preference:
        openPreferences(this);
        return;
    case cmd::VisitHomepage:
        openHomepage();
        return;
    case cmd::CheckForUpgrade:
        CheckForUpgrade(this);
        return;
    case cmd::BriefHelp:
    case cmd::Help:
        openHelp(this);
        return;
    default:
        break;
    }
    if (CommandTarget *target = activeTarget(); target && target->handlesCommand(id))
        target->runCommand(id);
    else if (remotePane_->handlesCommand(id))
        remotePane_->runCommand(id);
}

void CMainFrame::connectToServer()
{
    SessionState &s = session();
    if (s.serverHost.isEmpty()) {
        postCommand(cmd::SiteManager);
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

bool CMainFrame::frameCommandEnabled(int id) const
{
    const SessionState &s = session();
    switch (id) {
    case cmd::Connect:
        return !s.connected;
    case cmd::Disconnect:
        return s.connected;
    case cmd::TransferQueue:
        return s.connected && queueHasItems();
    case cmd::Abort:
        return s.busy;
    default:
        return true;
    }
}

void CMainFrame::updateCommandStates()
{
    CommandTarget *target = activeTarget();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        const int id = it.key();
        bool enabled;
        if (isFrameCommand(id))
            enabled = frameCommandEnabled(id);
        else if (target && target->handlesCommand(id))
            enabled = target->isCommandEnabled(id);
        else
            enabled = remotePane_->handlesCommand(id) && remotePane_->isCommandEnabled(id);
        it.value()->setEnabled(enabled);
    }
    const int mode = appSettings().transferMode;
    actions_.value(cmd::BinaryMode)->setChecked(mode == 1);
    actions_.value(cmd::AsciiMode)->setChecked(mode == 2);
    actions_.value(cmd::AutoMode)->setChecked(mode == 0);
}

void CMainFrame::trackActivePane(QWidget *focused)
{
    for (QWidget *w = focused; w; w = w->parentWidget()) {
        if (w == localPane_ || w == remotePane_ || w == queuePane_ || w == logPane_) {
            activePane_ = w;
            return;
        }
    }
}

CommandTarget *CMainFrame::activeTarget() const
{
    return dynamic_cast<CommandTarget *>(activePane_.data());
}

void CMainFrame::updateTitle()
{
    QString title = loadString(128);
    if (session().connected)
        title += QStringLiteral(" - ") + session().serverHost;
    setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange && event->type() != QEvent::WindowStateChange)
        return;
    // While minimised the transfer loops write their progress into the title.
    if (isMinimized()) {
        session().showProgressInTitle = true;
    } else {
        session().showProgressInTitle = false;
        updateTitle();
    }
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    saveLayout();
    QMainWindow::closeEvent(event);
}
