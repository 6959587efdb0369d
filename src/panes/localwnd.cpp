#include "panes/localwnd.h"

#include "controls/columnwidth.h"
#include "controls/listfilteredit.h"
#include "controls/panekeys.h"
#include "controls/rowdragsource.h"
#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"
#include "panes/localfolder.h"
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

CLocalWnd::CLocalWnd(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("localPane"));
    createActions();
}

CLocalWnd::~CLocalWnd()
{
    // A rename still open when the pane goes must not finish into a pane half destroyed: the
    // editor loses its focus while the base class tears the children down.
    if (renameEditor_) {
        renameEditor_->removeEventFilter(this);
        QObject::disconnect(renameEditor_, nullptr, this, nullptr);
    }
}

void CLocalWnd::initialUpdate()
{
    if (initialised_)
        return;
    initialised_ = true;

    upButton_ = new QToolButton(this);
    upButton_->setObjectName(QStringLiteral("upButton"));
    upButton_->setText(UiText::tr("Up"));
    upButton_->setToolTip(UiText::tr("Up"));
    upButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    pathCombo_ = new QComboBox(this);
    pathCombo_->setObjectName(QStringLiteral("pathCombo"));
    pathCombo_->setEditable(true);
    pathCombo_->setInsertPolicy(QComboBox::NoInsert);
    browseButton_ = new QPushButton(loadText(TextId::BrowseButton), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    const QFont guiFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    pathCombo_->setFont(guiFont);
    browseButton_->setFont(guiFont);

    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("localList"));
    list_->SetListName(QStringLiteral("LOCALLIST"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    dragSource_ = new RowDragSource(list_);
    filterEdit_ = new ListFilterEdit(list_, this);
    filterEdit_->setObjectName(QStringLiteral("localFilter"));
    paneActions_.followSelection(list_->selectionModel());
    list_->InsertSortColumn(0, loadText(TextId::NameColumn), Qt::AlignLeft, 180);
    list_->InsertSortColumn(1, loadText(TextId::SizeColumn), Qt::AlignRight,
                            std::max(80, columnWidthFor(list_, widestShownSize())));
    list_->InsertSortColumn(2, loadText(TextId::DateTimeColumn), Qt::AlignLeft, 150);
    list_->SetColumnKind(0, SortText);
    list_->SetColumnKind(1, SortNumber);
    list_->SetColumnKind(2, SortDateTime);

    // Instead of drive letters: the root and the home folder.
    showPathInCombo("/");
    showPathInCombo(QFile::encodeName(QDir::homePath()));

    connect(upButton_, &QToolButton::clicked, this, &CLocalWnd::GoUp);
    connect(browseButton_, &QPushButton::clicked, this, &CLocalWnd::Browse);
    connect(pathCombo_, &QComboBox::activated, this, [this](int index) {
        const QByteArray path = pathCombo_->itemData(index).toByteArray();
        if (path != current_)
            ShowFolder(path);
    });
    connect(pathCombo_, &QComboBox::editTextChanged, this, &CLocalWnd::pathTyped);
    connect(list_, &QAbstractItemView::doubleClicked, this, [this] { OpenSelection(); });
    addContextMenuKeys(list_);
    addPathBoxKey(this, pathCombo_);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showContextMenu(list_->viewport()->mapToGlobal(pos)); });

    QByteArray start = QFile::encodeName(appSettings().downloadFolder);
    if (!localfolder::folderExists(start))
        start = QFile::encodeName(QDir::homePath());
    current_ = localfolder::tidyPath(start);
    ShowFolder(QByteArray());
    resizeEvent(nullptr);
}

void CLocalWnd::resizeEvent(QResizeEvent *)
{
    if (!initialised_)
        return;
    const int cx = width();
    const int cy = height();
    upButton_->setGeometry(0, 0, 24, 22);
    pathCombo_->setGeometry(25, 0, std::max(0, cx - 76), 22);
    browseButton_->setGeometry(cx - 50, 0, 50, 22);
    filterEdit_->setGeometry(0, 24, cx, 22);
    list_->setGeometry(0, 48, cx, std::max(0, cy - 48));
}

// Dragging selected rows out of the list: over the queue it queues them, over the remote pane it
// uploads them (after the question), anywhere else nothing happens.
void CLocalWnd::setDropTargets(QWidget *queuePane, QWidget *remotePane)
{
    if (!dragSource_)
        return;
    dragSource_->setTargets({{queuePane, Qt::DragCopyCursor, [this] { UploadLater(); }},
                             {remotePane, Qt::DragMoveCursor, [this] { actions_.upload->trigger(); }}});
}

bool CLocalWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress && !renameEditor_) {
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
    if (watched == renameEditor_ && event->type() == QEvent::KeyPress) {
        // Taken here: the editor passes Return on, and the list would open the entry.
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            finishRename(false);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            finishRename(true);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
