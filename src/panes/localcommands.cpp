// The local pane's commands as actions: their texts and keys, when each is enabled, and the
// context menu that shows them.
#include "controls/sortlistctrl.h"
#include "panes/localwnd.h"
#include "platform/uitext.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

void CLocalWnd::createActions()
{
    const auto built = [this] { return list_ != nullptr; };
    const auto selection = [this] { return hasSelection(); };
    const auto uploadable = [this] { return hasSelection() && (!transferPossible_ || transferPossible_()); };
    PaneActions &p = paneActions_;
    Actions &a = actions_;
    a.upload = p.add(
        UiText::menuText("Upload", 'U'), [this] { Upload(); }, uploadable);
    a.uploadLater = p.add(
        UiText::menuText("Upload Later", 'L'), [this] { UploadLater(); }, selection);
    a.open = p.add(
        UiText::tr("Open"), [this] { OpenSelection(); }, selection);
    a.openWithNotepad = p.add(
        UiText::tr("Open with text editor"), [this] { OpenWithNotepad(); }, selection);
    a.refresh = p.add(
        UiText::menuText("Refresh\tF5", 'R'), [this] { Refresh(); }, built);
    a.rename = p.add(
        UiText::menuText("Rename...", 'N'), [this] { StartRename(); }, selection);
    a.deleteItems = p.add(
        UiText::menuText("Delete...\tDel", 'E'), [this] { DeleteSelection(); }, selection);
    a.deleteSubfolder = p.add(
        UiText::menuText("Delete subfolder...", 'S'), [this] { DeleteSubfolder(); }, selection);
    a.newFolder = p.add(
        UiText::menuText("New Folder...", 'F'), [this] { NewFolder(); }, built);
    a.selectAll = p.add(
        UiText::menuText("Select All", 'A'), [this] { SelectAll(); }, built);
    a.openWithExplorer = p.add(
        UiText::tr("Open in file manager"), [this] { OpenWithExplorer(); }, built);
    a.refresh->setShortcuts(QKeySequence::Refresh);
    a.deleteItems->setShortcuts(QKeySequence::Delete);
    a.rename->setShortcut(Qt::Key_F2);
    addActions(p.all());
    paneActions_.update();
}

bool CLocalWnd::hasSelection() const
{
    return list_ && list_->selectionModel() && list_->selectionModel()->hasSelection();
}

bool CLocalWnd::event(QEvent *event)
{
    return paneActions_.yieldKeyToText(event) || QWidget::event(event);
}

void CLocalWnd::showContextMenu(const QPoint &globalPos)
{
    // The menu's commands are this pane's: it is the one worked in from now on.
    list_->setFocus(Qt::PopupFocusReason);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("localMenu"));
    const Actions &a = actions_;
    if (hasSelection()) {
        menu.addActions({a.upload, a.uploadLater});
        menu.addSeparator();
        menu.addActions({a.open, a.openWithNotepad});
        menu.addSeparator();
        menu.addActions({a.rename, a.deleteItems, a.deleteSubfolder});
        menu.addSeparator();
    }
    menu.addActions({a.newFolder, a.selectAll, a.openWithExplorer});
    menu.addSeparator();
    menu.addAction(a.refresh);
    activateWindow();
    menu.exec(globalPos);
}
