#include "panes/remotewnd.h"

#include "controls/sortlistctrl.h"
#include "engine/controlconnection.h"
#include "engine/dircommands.h"
#include "panes/listingcache.h"
#include "panes/listingrows.h"
#include "panes/remotepaths.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/uitext.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "session/worker.h"
#include "shell/appsettings.h"
#include "shell/commandids.h"
#include "shell/mainframe.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
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
    list_->InsertSortColumn(0, loadString(132), Qt::AlignLeft, 180);
    list_->InsertSortColumn(1, loadString(133), Qt::AlignRight, 80);
    list_->InsertSortColumn(2, loadString(134), Qt::AlignLeft, 150);
    list_->InsertSortColumn(3, loadString(135), Qt::AlignLeft, 90);
    list_->SetColumnKind(0, 2);
    list_->SetColumnKind(1, 1);
    list_->SetColumnKind(2, 3);
    list_->SetColumnKind(3, 2);

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

bool CRemoteWnd::Navigate(const QByteArray &path)
{
    SessionState &s = session();
    if (s.listingRunning)
        return false;
    if (cache_->ReadCachedListing(displayPath(path))) {
        showPathInCombo(path);
        currentPath_ = path;
        AppendLogId(LogColor::Status, 161, displayPath(path).toUtf8().constData());
        return false;
    }
    if (!s.connected) {
        AppendLogId(LogColor::Error, 143);
        return false;
    }
    if (s.transferRunning) {
        s.commandArgument = path;
        return true;
    }
    if (s.busy) {
        AppendLogId(LogColor::Error, 144);
        return false;
    }
    (void)StartJob(JobCode::Refresh, path);
    return false;
}

QByteArray CRemoteWnd::ChildPath(const QByteArray &name) const
{
    return childPath(currentPath_, name);
}

void CRemoteWnd::OpenSelection()
{
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty())
        return;
    int row = selected.front();
    if (!isFolderRow(row)) {
        QueueSelection();
        row = -1;
        for (int candidate : selected) {
            if (isFolderRow(candidate)) {
                row = candidate;
                break;
            }
        }
        if (row < 0)
            return;
    }
    QByteArray name = list_->listModel()->row(row).nameBytes();
    if (list_->listModel()->row(row).text(3).startsWith(QLatin1Char('l')))
        name = linkName(name);

    SessionState &s = session();
    if (s.relativePaths) {
        if (s.busy)
            return;
        if (RemoteChangeDirectory(s.controlSocket, name) == 5) {
            AppendLogId(LogColor::Error, 129);
            BeepIfEnabled();
        }
    }
    Navigate(ChildPath(name));
}

void CRemoteWnd::GoUp()
{
    SessionState &s = session();
    if (s.waitCursor)
        return;
    if (s.relativePaths && s.controlSocket >= 0) {
        if (s.busy)
            return;
        if (SendCommand(s.controlSocket, "CDUP") == 550) {
            AppendLogId(LogColor::Error, 129);
            BeepIfEnabled();
            return;
        }
    }
    const ParentStep step = parentPath(currentPath_);
    if (step.hasParent)
        Navigate(step.parent);
    if (!step.leftFolder.isEmpty()) {
        const QString name = displayPath(step.leftFolder);
        for (int row = 0; row < list_->listModel()->rowCount(); ++row) {
            if (list_->listModel()->row(row).text(0).compare(name, Qt::CaseInsensitive) == 0) {
                if (isFolderRow(row))
                    list_->SelectItemByName(name);
                break;
            }
        }
    }
    list_->setFocus();
}

void CRemoteWnd::GoToTypedPath()
{
    const QString text = pathCombo_->currentText();
    if (text.isEmpty())
        return;
    // A text picked from the box keeps the bytes of the folder it stands for.
    const int index = pathCombo_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    const QByteArray typed = index >= 0 ? pathCombo_->itemData(index).toByteArray() : text.toUtf8();
    Navigate(trimTypedPath(typed));
}

void CRemoteWnd::QueueSelection()
{
    const QString localFolder = appSettings().downloadFolder;
    for (int row : list_->selectedRows()) {
        const QByteArray remote = ChildPath(list_->listModel()->row(row).nameBytes());
        const QString size = list_->listModel()->row(row).text(1);
        // The queue is not part of the window yet: say what would be queued.
        AppendLog(QStringLiteral("Download later: %1%2 -> %3%4\n")
                      .arg(displayPath(remote),
                           size.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(size), localFolder,
                           isFolderRow(row) ? QStringLiteral(" [folder]") : QString()),
                  LogColor::Status);
    }
}

void CRemoteWnd::DownloadNow()
{
    const auto answer = QMessageBox::question(this, uiText("Transfer"), uiText("Download selected item(s) ?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    QueueSelection();
    if (auto *frame = qobject_cast<CMainFrame *>(window()))
        frame->postCommand(cmd::TransferQueue);
}

void CRemoteWnd::SelectAll()
{
    list_->selectAll();
    if (list_->listModel()->rowCount() > 0)
        list_->selectionModel()->setCurrentIndex(list_->listModel()->index(0, 0),
                                                 QItemSelectionModel::NoUpdate);
}

void CRemoteWnd::DeleteFolderCache()
{
    const QString host = session().serverHost;
    if (!host.isEmpty() && cache_->DeleteCachedListings(host, true))
        Beep();
}

void CRemoteWnd::Refresh()
{
    SessionState &s = session();
    if (!s.connected)
        return;
    if (s.busy) {
        AppendLogId(LogColor::Error, 144);
        return;
    }
    const std::vector<int> selected = list_->selectedRows();
    const QString noted = selected.empty() ? QString() : list_->listModel()->row(selected.front()).text(0);
    cache_->skipCacheOnce = 1;
    Navigate(currentPath_);
    if (!noted.isEmpty())
        list_->SelectItemByName(noted);
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
