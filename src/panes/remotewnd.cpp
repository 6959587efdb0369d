#include "panes/remotewnd.h"

#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/listingrows.h"
#include "panes/remotepaths.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/uitext.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "session/worker.h"
#include "platform/commandids.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace
{

constexpr int folderBits = 0xF0;

// The commands this pane answers; the file operations of the pane come with their own code.
constexpr int paneCommands[] = {cmd::Download, cmd::DownloadLater, cmd::DeleteFolderCache, cmd::SelectAll,
                                cmd::Refresh};

} // namespace

CRemoteWnd::CRemoteWnd(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("remotePane"));
    SessionState &s = session();
    s.connected = false;
    s.transferRunning = false;
    s.busy = false;
    s.listingRunning = false;
    s.waitCursor = false;
    s.jobDoneEvent.reset();

    keepAlive_ = new QTimer(this);
    keepAlive_->setSingleShot(false);
    connect(keepAlive_, &QTimer::timeout, this, &CRemoteWnd::KeepAliveTimer);
}

CRemoteWnd::~CRemoteWnd()
{
    keepAlive_->stop();
    SessionHooks &hooks = sessionHooks();
    hooks.stopKeepAlive = nullptr;
    hooks.startKeepAlive = nullptr;
    hooks.postToRemotePane = nullptr;
    hooks.setWaitCursor = nullptr;
    hooks.clearRemoteList = nullptr;
    hooks.clearRemotePathBox = nullptr;
    hooks.setRemotePath = nullptr;
    hooks.showRemoteListing = nullptr;
    // Usually the frame has ended the session already; a pane used on its own ends it here.
    Disconnect();
}

void CRemoteWnd::initialUpdate()
{
    installHooks();
    if (initialised_)
        return;
    initialised_ = true;
    readLastSession();

    upButton_ = new QToolButton(this);
    upButton_->setObjectName(QStringLiteral("upButton"));
    upButton_->setText(uiText("Up"));
    upButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    upButton_->setToolTip(uiText("Up"));
    pathCombo_ = new QComboBox(this);
    pathCombo_->setObjectName(QStringLiteral("pathCombo"));
    pathCombo_->setEditable(true);
    pathCombo_->setInsertPolicy(QComboBox::NoInsert);
    pathCombo_->setMaxVisibleItems(10);
    changeButton_ = new QPushButton(loadString(131), this);
    changeButton_->setObjectName(QStringLiteral("changeButton"));
    const QFont guiFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    pathCombo_->setFont(guiFont);
    changeButton_->setFont(guiFont);

    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("remoteList"));
    list_->SetListName(QStringLiteral("REMOTELIST"));
    cache_ = std::make_unique<ListingCache>(list_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    list_->InsertFileColumns();

    // The first entry is the last session's folder, also when that is empty.
    const QByteArray initial = session().initialRemotePath.toUtf8();
    pathCombo_->addItem(displayPath(initial), initial);
    pathCombo_->setCurrentIndex(0);

    connect(upButton_, &QToolButton::clicked, this, &CRemoteWnd::GoUp);
    connect(changeButton_, &QPushButton::clicked, this, &CRemoteWnd::GoToTypedPath);
    connect(list_, &QAbstractItemView::doubleClicked, this, [this] { OpenSelection(); });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showContextMenu(list_->viewport()->mapToGlobal(pos)); });
    resizeEvent(nullptr);
}

void CRemoteWnd::readLastSession()
{
    using settingsstore::applSet;
    using settingsstore::readInt;
    using settingsstore::readString;
    SessionState &s = session();
    s.serverHost = readString(applSet, QStringLiteral("LastServer"), QString());
    s.userName = readString(applSet, QStringLiteral("LastUser"), QString());
    s.password = readString(applSet, QStringLiteral("LastPassword"), QString());
    s.port = readInt(applSet, QStringLiteral("LastPort"), 21);
    s.initialRemotePath = readString(applSet, QStringLiteral("LastRemote"), QString());
    s.initialLocalPath = readString(applSet, QStringLiteral("LastLocal"), QString());
    s.anonymousLogin = readInt(applSet, QStringLiteral("LastLogin"), 1) != 0;
    s.relativePaths = readInt(applSet, QStringLiteral("Relative"), 0) != 0;
}

void CRemoteWnd::installHooks()
{
    SessionHooks &hooks = sessionHooks();
    QPointer<CRemoteWnd> self(this);
    hooks.stopKeepAlive = [self] {
        if (self)
            self->keepAlive_->stop();
    };
    // The period follows the KeepTime setting (in minutes) that the worker's request is made of.
    hooks.startKeepAlive = [self](int) {
        if (self)
            self->armKeepAlive();
    };
    hooks.postToRemotePane = [self](int message) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self,
            [self, message] {
                if (!self)
                    return;
                switch (message) {
                case int(JobCode::Connect):
                    self->OnConnected();
                    break;
                case int(JobCode::Disconnect):
                    self->Disconnect();
                    break;
                case int(JobCode::Abort):
                    self->AbortJob();
                    break;
                default:
                    self->runCommand(message);
                    break;
                }
            },
            Qt::QueuedConnection);
    };
    hooks.setWaitCursor = [self](bool on) {
        if (self)
            self->applyWaitCursor(on);
    };
    hooks.clearRemoteList = [self] {
        if (self && self->list_)
            self->list_->setRows({});
    };
    hooks.clearRemotePathBox = [self] {
        if (self && self->pathCombo_)
            self->pathCombo_->clear();
    };
    hooks.setRemotePath = [self](const QByteArray &path) {
        if (!self || !self->pathCombo_)
            return;
        self->currentPath_ = path;
        self->showPathInCombo(self->currentPath_);
    };
    hooks.showRemoteListing = [self](std::vector<FileEntry> rows, bool writeCache) {
        if (self && self->list_)
            ShowRemoteListing(*self->list_, self->cache_.get(), std::move(rows),
                              displayPath(self->currentPath_), writeCache);
    };
}

void CRemoteWnd::resizeEvent(QResizeEvent *)
{
    if (!initialised_)
        return;
    const int cx = width();
    const int cy = height();
    upButton_->setGeometry(0, 0, 24, 22);
    pathCombo_->setGeometry(25, 0, std::max(0, cx - 76), 22);
    changeButton_->setGeometry(cx - 50, 0, 50, 22);
    list_->setGeometry(0, 24, cx, std::max(0, cy - 24));
}

bool CRemoteWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Delete:
            runCommand(cmd::Delete);
            return true;
        case Qt::Key_Backspace:
            GoUp();
            return true;
        case Qt::Key_F5:
            runCommand(cmd::Refresh);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OpenSelection();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CRemoteWnd::applyWaitCursor(bool on)
{
    session().waitCursor = on;
    if (on) {
        setCursor(Qt::WaitCursor);
        if (list_)
            list_->viewport()->setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
        if (list_)
            list_->viewport()->unsetCursor();
    }
}

bool CRemoteWnd::isFolderRow(int row) const
{
    return (list_->listModel()->row(row).itemData & folderBits) != 0;
}

void CRemoteWnd::showPathInCombo(const QByteArray &path)
{
    int index = pathCombo_->findData(path, Qt::UserRole, Qt::MatchExactly);
    if (index < 0) {
        pathCombo_->addItem(displayPath(path), path);
        index = pathCombo_->count() - 1;
    }
    pathCombo_->setCurrentIndex(index);
}

bool CRemoteWnd::startJob(JobCode code)
{
    return StartJob(code, BusyMessage::Silent);
}

void CRemoteWnd::showContextMenu(const QPoint &globalPos)
{
    if (session().waitCursor)
        return;
    QMenu menu(this);
    auto add = [&](int id, const char *text) {
        QAction *action = menu.addAction(uiText(text));
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    };
    if (!list_->selectedRows().empty()) {
        add(cmd::Download, "&Download");
        add(cmd::DownloadLater, "Download &Later");
        menu.addSeparator();
        add(cmd::Rename, "Re&name...");
        add(cmd::ChangeAttribute, "Change Attri&bute...");
        add(cmd::Delete, "D&elete...");
        add(cmd::DeleteSubfolder, "Delete &subfolder...");
        add(cmd::MoveTo, "&Move to...");
    }
    add(cmd::NewFolder, "New &Folder...");
    add(cmd::SelectAll, "Select &All");
    menu.addSeparator();
    add(cmd::UserCommand, "User &Command...");
    add(cmd::DeleteFolderCache, "Delete Folder &Cache");
    menu.addSeparator();
    add(cmd::Refresh, "&Refresh");
    activateWindow();
    menu.exec(globalPos);
}

bool CRemoteWnd::handlesCommand(int id) const
{
    return std::find(std::begin(paneCommands), std::end(paneCommands), id) != std::end(paneCommands);
}

void CRemoteWnd::runCommand(int id)
{
    switch (id) {
    case cmd::Download:
        DownloadNow();
        break;
    case cmd::DownloadLater:
        QueueSelection();
        break;
    case cmd::DeleteFolderCache:
        DeleteFolderCache();
        break;
    case cmd::SelectAll:
        SelectAll();
        break;
    case cmd::Refresh:
        Refresh();
        break;
    default:
        break;
    }
}
