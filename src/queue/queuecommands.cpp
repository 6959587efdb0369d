// The queue pane's commands: moving, deleting, the queue files, the transfer.
#include "controls/reorderlistctrl.h"
#include "platform/uitext.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"

#include <QAction>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>

namespace
{

QString queueFileFilter()
{
    // Queue files from other systems carry an upper-case extension; this file system tells cases apart.
    QString filter = UiText::tr("Queue file (*.q)");
    filter.replace(QStringLiteral("*.q)"), QStringLiteral("*.q *.Q)"));
    return filter;
}

} // namespace

void CQueueWnd::createActions()
{
    const auto selection = [this] { return selectedBlock().first >= 0; };
    const auto queued = [this] { return model_->size() > 0; };
    PaneActions &p = paneActions_;
    Actions &a = actions_;
    // The head does not move up, and a queue of one row has nowhere to move it.
    a.moveUpward = p.add(
        UiText::tr("Move to upward"),
        [this] {
            if (const int first = selectedBlock().first; first > 0)
                MoveSelectedItems(first - 1);
        },
        selection);
    a.moveDownward = p.add(
        UiText::tr("Move to downward"),
        [this] {
            if (const auto [first, count] = selectedBlock(); first >= 0 && model_->size() >= 2)
                MoveSelectedItems(first + count + 1);
        },
        selection);
    a.moveToTop = p.add(
        UiText::tr("Move to top"),
        [this] {
            if (selectedBlock().first > 0)
                MoveSelectedItems(0);
        },
        selection);
    a.moveToBottom = p.add(
        UiText::tr("Move to bottom"),
        [this] {
            if (selectedBlock().first >= 0 && model_->size() >= 2)
                MoveSelectedItems(model_->size());
        },
        selection);
    a.deleteItems = p.add(
        UiText::tr("Delete\tDel"), [this] { DeleteSelected(); }, selection);
    a.deleteAll = p.add(
        UiText::tr("Delete All"), [this] { DeleteAll(); }, queued);
    a.readFromFile = p.add(UiText::tr("Read from file..."), [this] { ReadFromFile(); });
    a.saveToFile = p.add(UiText::tr("Save to file..."), [this] { SaveToFile(); });
    a.transfer = p.add(
        UiText::tr("Transfer"), [this] { Transfer(); }, queued);
    a.deleteItems->setShortcuts(QKeySequence::Delete);
    addActions(p.all());
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { paneActions_.update(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { paneActions_.update(); });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] { paneActions_.update(); });
    paneActions_.update();
}

std::pair<int, int> CQueueWnd::selectedBlock() const
{
    const std::vector<int> selected = list_ ? list_->selectedRows() : std::vector<int>();
    return {selected.empty() ? -1 : selected.front(), int(selected.size())};
}

void CQueueWnd::MoveSelectedItems(int target)
{
    model_->moveBlock(list_->selectedRows(), target);
    changed();
}

void CQueueWnd::DeleteSelected()
{
    if (!list_)
        return;
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty())
        return;
    model_->removeRowsAt(selected);
    changed();
}

void CQueueWnd::DeleteAll()
{
    if (model_->size() == 0)
        return;
    model_->setItems({});
    changed();
}

void CQueueWnd::ReadFromFile()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("readQueueDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilter(queueFileFilter());
    dialog.setDefaultSuffix(QStringLiteral("Q"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LoadQueueFile(dialog.selectedFiles().constFirst());
}

void CQueueWnd::SaveToFile()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("saveQueueDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(queueFileFilter());
    dialog.setDefaultSuffix(QStringLiteral("Q"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveQueueFile(dialog.selectedFiles().constFirst());
}

void CQueueWnd::Transfer()
{
    if (model_->size() > 0 && transferStarter_)
        transferStarter_();
}

void CQueueWnd::showContextMenu(const QPoint &globalPos)
{
    // The menu's commands are this pane's: it is the one worked in from now on.
    list_->setFocus(Qt::PopupFocusReason);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("queueMenu"));
    const Actions &a = actions_;
    menu.addActions({a.moveUpward, a.moveDownward, a.moveToTop, a.moveToBottom});
    menu.addSeparator();
    menu.addActions({a.deleteItems, a.deleteAll});
    menu.addSeparator();
    menu.addActions({a.readFromFile, a.saveToFile});
    menu.addSeparator();
    menu.addAction(a.transfer);
    activateWindow();
    menu.exec(globalPos);
}
