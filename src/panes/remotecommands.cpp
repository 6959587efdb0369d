// The remote pane's commands as actions: their texts and keys, when each is enabled, and the
// context menu that shows them.
#include "controls/listcomparison.h"
#include "controls/sortlistctrl.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "panes/syncbrowsing.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

void CRemoteWnd::createActions()
{
    // Commands that talk to the server wait for the connection; queueing and the listing cache
    // work offline too.
    const auto built = [this] { return list_ != nullptr; };
    const auto connected = [this] { return list_ && controller_ && controller_->connected(); };
    const auto connectedWithSelection = [this] { return controller_ && controller_->connected() && hasSelection(); };
    const auto selection = [this] { return hasSelection(); };
    PaneActions &p = paneActions_;
    Actions &a = actions_;
    a.download = p.add(
        UiText::menuText("Download", 'D'), [this] { DownloadNow(); }, connectedWithSelection);
    a.downloadLater = p.add(
        UiText::menuText("Download Later", 'W'), [this] { QueueSelection(); }, selection);
    a.refresh = p.add(
        UiText::menuText("Refresh\tF5", 'R'), [this] { Refresh(); }, connected);
    a.rename = p.add(
        UiText::menuText("Rename...", 'N'), [this] { Rename(); }, connectedWithSelection);
    a.changeAttribute = p.add(
        UiText::menuText("Change Attribute...", 'B'), [this] { ChangeAttribute(); }, connectedWithSelection);
    a.deleteItems = p.add(
        UiText::menuText("Delete...\tDel", 'E'), [this] { DeleteSelection(); }, connectedWithSelection);
    a.deleteSubfolder = p.add(
        UiText::menuText("Delete subfolder...", 'S'), [this] { DeleteSubfolder(); }, connectedWithSelection);
    a.moveTo = p.add(
        UiText::menuText("Move to...", 'M'), [this] { MoveTo(); }, connectedWithSelection);
    a.newFolder = p.add(
        UiText::menuText("New Folder...", 'F'), [this] { NewFolder(); }, connected);
    a.userCommand = p.add(
        UiText::menuText("User Command...", 'C'), [this] { UserCommand(); }, connected);
    a.selectAll = p.add(
        UiText::menuText("Select All", 'A'), [this] { SelectAll(); }, built);
    a.deleteFolderCache = p.add(
        UiText::menuText("Delete Folder Cache", 'O'), [this] { DeleteFolderCache(); }, built);
    a.refresh->setShortcuts(QKeySequence::Refresh);
    a.deleteItems->setShortcuts(QKeySequence::Delete);
    a.rename->setShortcut(Qt::Key_F2);
    addActions(p.all());

    // Not the worked-in pane's commands: they concern both panes, whichever has the focus.
    a.syncBrowsing = new QAction(UiText::menuText("Synchronized browsing", 'Y'), this);
    a.compareFolders = new QAction(UiText::menuText("Compare folders", 'P'), this);
    for (QAction *toggle : {a.syncBrowsing, a.compareFolders}) {
        toggle->setCheckable(true);
        toggle->setEnabled(false);
        // A checked icon in a menu hardly differs from an unchecked one: the menu shows the mark.
        toggle->setIconVisibleInMenu(false);
    }
    connect(a.syncBrowsing, &QAction::toggled, this, [this](bool on) {
        if (sync_ && !sync_->setEnabled(on))
            actions_.syncBrowsing->setChecked(sync_->isEnabled());
    });
    connect(a.compareFolders, &QAction::toggled, this, [this](bool on) {
        if (comparison_)
            comparison_->setEnabled(on);
    });
    if (controller_)
        connect(controller_, &SessionController::stateChanged, this, [this] { paneActions_.update(); });
    paneActions_.update();
}

void CRemoteWnd::setPartnerPane(CLocalWnd *local)
{
    if (sync_ || !local || !list_ || !local->list())
        return;
    sync_ = new SyncBrowsing(local, this, controller_, this);
    connect(sync_, &SyncBrowsing::stopped, this, [this] { actions_.syncBrowsing->setChecked(false); });
    comparison_ = new ListComparison(local->list(), list_, this);
    actions_.syncBrowsing->setEnabled(true);
    actions_.compareFolders->setEnabled(true);
}

bool CRemoteWnd::hasSelection() const
{
    return list_ && list_->selectionModel() && list_->selectionModel()->hasSelection();
}

bool CRemoteWnd::event(QEvent *event)
{
    return paneActions_.yieldKeyToText(event) || QWidget::event(event);
}

void CRemoteWnd::showContextMenu(const QPoint &globalPos)
{
    if (controller_ && controller_->waitCursor())
        return;
    // The menu's commands are this pane's: it is the one worked in from now on.
    list_->setFocus(Qt::PopupFocusReason);
    QMenu menu(this);
    const Actions &a = actions_;
    if (hasSelection()) {
        menu.addActions({a.download, a.downloadLater});
        menu.addSeparator();
        menu.addActions({a.rename, a.changeAttribute, a.deleteItems, a.deleteSubfolder, a.moveTo});
    }
    menu.addActions({a.newFolder, a.selectAll});
    menu.addSeparator();
    menu.addActions({a.userCommand, a.deleteFolderCache});
    menu.addSeparator();
    menu.addAction(a.refresh);
    activateWindow();
    menu.exec(globalPos);
}
