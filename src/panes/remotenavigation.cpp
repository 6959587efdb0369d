// Navigation in the remote pane: cache first, then the refresh job; entering, leaving and typing
// folders, and the commands that act on the selected rows.
#include "panes/remotewnd.h"

#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/remotepaths.h"
#include "platform/appsettings.h"
#include "platform/beep.h"
#include "session/operationresult.h"
#include "platform/log.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"

#include <QComboBox>
#include <QFile>
#include <QMessageBox>
bool CRemoteWnd::Navigate(const QByteArray &path)
{
    const SessionController &c = *controller_;
    if (c.listingRunning())
        return false;
    if (cache_->ReadCachedListing(displayPath(path))) {
        showPathInCombo(path);
        currentPath_ = path;
        AppendLog(LogColor::Status, TextId::ReadingCachedDirectory, displayPath(path).toUtf8().constData());
        emit folderShown(currentPath_);
        return false;
    }
    if (!c.connected()) {
        AppendLog(LogColor::Error, TextId::DirectoryNotCached);
        return false;
    }
    if (controller_->listDuringTransfer(path))
        return true;
    if (c.busy()) {
        AppendLog(LogColor::Error, TextId::JobNotFinished);
        return false;
    }
    (void)controller_->startJob(RefreshRequest{path, std::nullopt});
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
    QByteArray name = list_->listModel()->nameBytes(row);
    if (list_->listModel()->text(row, 3).startsWith(QLatin1Char('l')))
        name = linkName(name);

    // In relative-path mode the server enters the folder first; the pane goes on when it answered.
    if (controller_->login().relativePaths) {
        if (!controller_->busy())
            (void)controller_->startJob(StepFolderRequest{name, currentPath_});
        return;
    }
    Navigate(ChildPath(name));
}

void CRemoteWnd::GoUp()
{
    if (controller_->waitCursor())
        return;
    if (controller_->login().relativePaths && controller_->connected()) {
        if (!controller_->busy())
            (void)controller_->startJob(StepFolderRequest{{}, currentPath_});
        return;
    }
    showParentOf(currentPath_);
}

void CRemoteWnd::serverFolderStepped(const StepFolderRequest &request, const OperationResult &result)
{
    if (!request.name.isEmpty()) {
        // Listed by its path whatever the server said, as the pane would without the step.
        Navigate(childPath(request.paneFolder, request.name));
        return;
    }
    // The server stayed where it was: so does the pane.
    if (result.outcome == OperationResult::Outcome::Refused && result.code == 550)
        return;
    showParentOf(request.paneFolder);
}

void CRemoteWnd::showParentOf(const QByteArray &folder)
{
    const ParentStep step = parentPath(folder);
    if (step.hasParent)
        Navigate(step.parent);
    if (!step.leftFolder.isEmpty()) {
        const QString name = displayPath(step.leftFolder);
        for (int row = 0; row < list_->listModel()->rowCount(); ++row) {
            if (list_->listModel()->text(row, 0).compare(name, Qt::CaseInsensitive) == 0) {
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
    const SessionViews &views = controller_->views();
    QueueView *queue = views.queue;
    if (!queue)
        return;
    // The download goes into the folder the local pane shows, else the download folder.
    QByteArray destination = views.local ? views.local->currentFolder() : QByteArray();
    if (destination.isEmpty())
        destination = QFile::encodeName(appSettings().downloadFolder);
    std::vector<QueueItem> items;
    for (int row : list_->selectedRows()) {
        const SortListRow entry = list_->listModel()->row(row);
        QueueItem item;
        item.name = ChildPath(entry.nameBytes());
        item.sizeText = entry.text(1).toUtf8();
        item.destination = destination;
        item.direction = QueueItem::Download;
        item.isFolder = isFolderRow(row);
        items.push_back(std::move(item));
    }
    (void)queue->AddQueueItems(items, false);
}

void CRemoteWnd::DownloadNow()
{
    const auto answer =
        QMessageBox::question(this, UiText::tr("Transfer"), UiText::tr("Download selected item(s) ?"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    QueueSelection();
    emit transferRequested();
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
    if (!controller_->serverHost().isEmpty() && cache_->DeleteServerListings())
        Beep();
}

void CRemoteWnd::Refresh()
{
    if (!controller_->connected())
        return;
    if (controller_->busy()) {
        AppendLog(LogColor::Error, TextId::JobNotFinished);
        return;
    }
    const std::vector<int> selected = list_->selectedRows();
    const QString noted = selected.empty() ? QString() : list_->listModel()->text(selected.front(), 0);
    cache_->skipCacheOnce = 1;
    Navigate(currentPath_);
    if (!noted.isEmpty())
        list_->SelectItemByName(noted);
}
