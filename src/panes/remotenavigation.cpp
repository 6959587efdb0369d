// Navigation in the remote pane: cache first, then the refresh job; entering, leaving and typing
// folders, and the commands that act on the selected rows.
#include "panes/remotewnd.h"

#include "controls/sortlistctrl.h"
#include "engine/controlconnection.h"
#include "engine/dircommands.h"
#include "panes/listingcache.h"
#include "panes/remotepaths.h"
#include "platform/appsettings.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"
#include "session/sessionstate.h"

#include <QComboBox>
#include <QFile>
#include <QMessageBox>
bool CRemoteWnd::Navigate(const QByteArray &path)
{
    SessionState &s = session();
    if (s.listingRunning)
        return false;
    if (cache_->ReadCachedListing(displayPath(path))) {
        showPathInCombo(path);
        currentPath_ = path;
        AppendLog(LogColor::Status, TextId::ReadingCachedDirectory, displayPath(path).toUtf8().constData());
        return false;
    }
    if (!s.connected) {
        AppendLog(LogColor::Error, TextId::DirectoryNotCached);
        return false;
    }
    if (s.transferRunning) {
        s.commandArgument = path;
        return true;
    }
    if (s.busy) {
        AppendLog(LogColor::Error, TextId::JobNotFinished);
        return false;
    }
    (void)controller_->startJob(RefreshRequest{path});
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

    SessionState &s = session();
    if (s.relativePaths) {
        if (s.busy)
            return;
        if (RemoteChangeDirectory(s, name) == 5) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
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
        if (SendCommand(s, "CDUP") == 550) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
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
    SessionState &s = session();
    QueueView *queue = s.views.queue;
    if (!queue)
        return;
    // The download goes into the folder the local pane shows, else the download folder.
    QByteArray destination = s.views.local ? s.views.local->currentFolder() : QByteArray();
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
    const auto answer = QMessageBox::question(this, uiText("Transfer"), uiText("Download selected item(s) ?"),
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
    if (!session().serverHost.isEmpty() && cache_->DeleteServerListings())
        Beep();
}

void CRemoteWnd::Refresh()
{
    SessionState &s = session();
    if (!s.connected)
        return;
    if (s.busy) {
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
