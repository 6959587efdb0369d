// The queue pane's commands: moving, deleting, the queue files, the transfer.
#include "controls/reorderlistctrl.h"
#include "platform/commandids.h"
#include "platform/uitext.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"

#include <QFileDialog>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>

namespace
{

constexpr int paneCommands[] = {cmd::MoveUpward,    cmd::MoveDownward,  cmd::MoveToTop,
                                cmd::MoveToBottom,  cmd::Delete,        cmd::DeleteAll,
                                cmd::ReadQueueFile, cmd::SaveQueueFile, cmd::Transfer};

QString queueFileFilter()
{
    // Queue files from other systems carry an upper-case extension; this file system tells cases apart.
    QString filter = uiText("Queue file (*.q)");
    filter.replace(QStringLiteral("*.q)"), QStringLiteral("*.q *.Q)"));
    return filter;
}

} // namespace

bool CQueueWnd::handlesCommand(int id) const
{
    return std::find(std::begin(paneCommands), std::end(paneCommands), id) != std::end(paneCommands);
}

void CQueueWnd::runCommand(int id)
{
    if (!list_)
        return;
    const std::vector<int> selected = list_->selectedRows();
    const int first = selected.empty() ? -1 : selected.front();
    const int count = int(selected.size());
    const int rows = model_->size();
    switch (id) {
    case cmd::MoveUpward:
        if (first > 0)
            MoveSelectedItems(first - 1);
        break;
    case cmd::MoveDownward:
        if (first >= 0 && rows >= 2)
            MoveSelectedItems(first + count + 1);
        break;
    case cmd::MoveToTop:
        if (first > 0)
            MoveSelectedItems(0);
        break;
    case cmd::MoveToBottom:
        if (first >= 0 && rows >= 2)
            MoveSelectedItems(rows);
        break;
    case cmd::Delete:
        DeleteSelected();
        break;
    case cmd::DeleteAll:
        DeleteAll();
        break;
    case cmd::ReadQueueFile:
        ReadFromFile();
        break;
    case cmd::SaveQueueFile:
        SaveToFile();
        break;
    case cmd::Transfer:
        Transfer();
        break;
    default:
        break;
    }
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
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("queueMenu"));
    auto add = [&](int id, const char *text) {
        QAction *action = menu.addAction(uiText(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    };
    add(cmd::MoveUpward, "Move to upward");
    add(cmd::MoveDownward, "Move to downward");
    add(cmd::MoveToTop, "Move to top");
    add(cmd::MoveToBottom, "Move to bottom");
    menu.addSeparator();
    add(cmd::Delete, "Delete\tDel");
    add(cmd::DeleteAll, "Delete All");
    menu.addSeparator();
    add(cmd::ReadQueueFile, "Read from file...");
    add(cmd::SaveQueueFile, "Save to file...");
    menu.addSeparator();
    add(cmd::Transfer, "Transfer");
    activateWindow();
    menu.exec(globalPos);
}
