#include "panes/remotewnd.h"

#include "controls/listfilteredit.h"
#include "controls/panekeys.h"
#include "controls/rowdragsource.h"
#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/listingrows.h"
#include "panes/remotenameeditor.h"
#include "panes/remotepaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace
{

constexpr int folderBits = 0xF0;

} // namespace

CRemoteWnd::CRemoteWnd(SessionController *controller, QWidget *parent)
    : QWidget(parent), controller_(controller)
{
    setObjectName(QStringLiteral("remotePane"));
    createActions();
}

CRemoteWnd::~CRemoteWnd()
{
    // Usually the frame has ended the session already; a pane used on its own ends it here.
    if (controller_)
        controller_->disconnect();
    if (controller_ && controller_->views().remote == this)
        controller_->setRemoteView(nullptr);
}

void CRemoteWnd::initialUpdate()
{
    if (controller_)
        controller_->setRemoteView(this);
    if (initialised_)
        return;
    initialised_ = true;
    if (controller_)
        controller_->restoreLastSession();

    upButton_ = new QToolButton(this);
    upButton_->setObjectName(QStringLiteral("upButton"));
    upButton_->setText(UiText::tr("Up"));
    upButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    upButton_->setToolTip(UiText::tr("Up"));
    pathCombo_ = new QComboBox(this);
    pathCombo_->setObjectName(QStringLiteral("pathCombo"));
    pathCombo_->setEditable(true);
    pathCombo_->setInsertPolicy(QComboBox::NoInsert);
    pathCombo_->setMaxVisibleItems(10);
    changeButton_ = new QPushButton(loadText(TextId::ChangeButton), this);
    changeButton_->setObjectName(QStringLiteral("changeButton"));
    const QFont guiFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    pathCombo_->setFont(guiFont);
    changeButton_->setFont(guiFont);

    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("remoteList"));
    list_->SetListName(QStringLiteral("REMOTELIST"));
    // A pane without a session (tests of the list alone) caches under an empty login.
    static const LoginFields noLogin;
    cache_ = std::make_unique<ListingCache>(list_, controller_ ? controller_->login() : noLogin);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    dragSource_ = new RowDragSource(list_);
    filterEdit_ = new ListFilterEdit(list_, this);
    filterEdit_->setObjectName(QStringLiteral("remoteFilter"));
    list_->InsertFileColumns();
    nameEditor_ = new RemoteNameEditor(list_);
    connect(nameEditor_, &RemoteNameEditor::edited, this, &CRemoteWnd::OnNameEdited);
    paneActions_.followSelection(list_->selectionModel());

    // The first entry is the last session's folder, also when that is empty.
    const QByteArray initial = controller_ ? controller_->login().initialRemotePath.toUtf8() : QByteArray();
    pathCombo_->addItem(displayPath(initial), initial);
    pathCombo_->setCurrentIndex(0);

    connect(upButton_, &QToolButton::clicked, this, &CRemoteWnd::GoUp);
    connect(changeButton_, &QPushButton::clicked, this, &CRemoteWnd::GoToTypedPath);
    connect(pathCombo_->lineEdit(), &QLineEdit::returnPressed, this, &CRemoteWnd::GoToTypedPath);
    connect(list_, &QAbstractItemView::doubleClicked, this, [this] { OpenSelection(); });
    addContextMenuKeys(list_);
    addPathBoxKey(this, pathCombo_);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showContextMenu(list_->viewport()->mapToGlobal(pos)); });
    resizeEvent(nullptr);
}

void CRemoteWnd::setDropTargets(QWidget *queuePane, QWidget *localPane)
{
    if (!dragSource_)
        return;
    dragSource_->setTargets({{queuePane, Qt::DragCopyCursor, [this] { QueueSelection(); }},
                             {localPane, Qt::DragMoveCursor, [this] { actions_.download->trigger(); }}});
}

void CRemoteWnd::setWaitCursor(bool on)
{
    if (controller_)
        controller_->recordWaitCursor(on);
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

void CRemoteWnd::clearRemotePathBox()
{
    if (pathCombo_)
        pathCombo_->clear();
}

void CRemoteWnd::clearRemoteList()
{
    if (list_)
        list_->setRows({});
}

void CRemoteWnd::setRemotePath(const QByteArray &path)
{
    if (!pathCombo_)
        return;
    currentPath_ = path;
    showPathInCombo(currentPath_);
    emit folderShown(currentPath_);
}

void CRemoteWnd::showRemoteListing(const QByteArray &path, FileRows rows, bool writeCache,
                                    std::optional<RowOrder> sortedBy)
{
    if (!list_)
        return;
    // The user may have gone to another folder while this one was listed: its rows only go to
    // their own cache file.
    if (path != currentPath_) {
        if (writeCache)
            cache_->WriteCachedRows(displayPath(path), std::move(rows));
        return;
    }
    // Rows that the worker has cached come in the list's order already, unless the user has
    // sorted the list otherwise since.
    if (sortedBy && !writeCache && sortedBy == list_->ReSortOrder()) {
        list_->setSortedRows(std::move(rows), *sortedBy);
        return;
    }
    ShowRemoteListing(*list_, cache_.get(), std::move(rows), displayPath(currentPath_), writeCache);
}

std::optional<RowOrder> CRemoteWnd::rowOrder() const
{
    return list_ ? list_->ReSortOrder() : std::nullopt;
}

std::optional<ListingCacheTarget> CRemoteWnd::listingCacheTarget(const QByteArray &path) const
{
    if (!list_)
        return std::nullopt;
    // As showRemoteListing would write it: the folder listed is the one the list shows next.
    return ListingCacheTarget{path, cache_->CacheFilePath(displayPath(path)), list_->ReSortOrder()};
}

void CRemoteWnd::sessionConnected()
{
    OnConnected();
}

void CRemoteWnd::refreshRemote()
{
    Refresh();
}

void CRemoteWnd::dropCachedListings(const QByteArray &path, bool withSubfolders)
{
    if (!cache_)
        return;
    if (!withSubfolders) {
        cache_->DeleteCachedListings(displayPath(path), false);
        return;
    }
    // The folder's own file name without ".ini" is the beginning of the names of all below it.
    QString prefix = QFileInfo(cache_->CacheFilePath(displayPath(path))).fileName();
    prefix.chop(4);
    cache_->DeleteCachedListings(prefix, true);
}

void CRemoteWnd::selectRemoteItem(const QByteArray &name)
{
    if (list_)
        list_->SelectItemByName(displayPath(name));
}

void CRemoteWnd::OnConnected()
{
    controller_->keepSessionForNextStart();
    const QString initial = controller_->login().initialRemotePath;
    // The session's local folder is shown by the local pane once the frame holds one.
    Navigate(initial.isEmpty() ? currentPath_ : initial.toUtf8());
    emit sessionStarted();
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
    filterEdit_->setGeometry(0, 24, cx, 22);
    list_->setGeometry(0, 48, cx, std::max(0, cy - 48));
}

bool CRemoteWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Backspace:
            GoUp();
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

bool CRemoteWnd::isFolderRow(int row) const
{
    return (list_->listModel()->rowItemData(row) & folderBits) != 0;
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
