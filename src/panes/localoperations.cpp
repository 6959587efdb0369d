// The local pane's operations on files: open, rename, delete, new folder, and handing the
// selection to the queue.
#include "controls/deletequestion.h"
#include "controls/sortlistctrl.h"
#include "panes/localfolder.h"
#include "panes/localwnd.h"
#include "platform/log.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/queueview.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include <sys/stat.h>

namespace
{

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// The desktop's program for plain text, asked of the desktop's own registry with a bounded wait.
bool openInTextEditor(const QString &path)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    const QString application = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return !application.isEmpty() &&
           QProcess::startDetached(QStringLiteral("gtk-launch"), {application, path});
}

bool openWithDesktop(const QString &path, bool asText)
{
    if (asText)
        return openInTextEditor(path);
    // A file no program claims opens as text, as it always has.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) || openInTextEditor(path);
}

void logFailure(const char *text, const QByteArray &path, int error)
{
    AppendLog(UiText::tr(text).arg(localfolder::shownPath(path), localfolder::errorText(error)),
              LogColor::Error);
}

// False, with the reason in the log, when the typed name would not stay one entry of the folder.
bool acceptableName(const QString &text)
{
    if (localfolder::isEntryName(text.toUtf8()))
        return true;
    AppendLog(UiText::tr("Not a valid name: %1\n").arg(text), LogColor::Error);
    return false;
}

} // namespace

QByteArray CLocalWnd::rowPath(int row) const
{
    return localfolder::joinPath(current_, list_->listModel()->nameBytes(row));
}

bool CLocalWnd::isFolderRow(int row) const
{
    return list_->listModel()->isFolder(row);
}

bool CLocalWnd::openFile(const QByteArray &path, bool asText)
{
    // The desktop takes paths as text; a name that is not UTF-8 would reach it as another name.
    if (!namecodec::isValidUtf8(path)) {
        AppendLog(UiText::tr("%1 cannot be opened: its name is not valid UTF-8.\n")
                      .arg(localfolder::shownPath(path)),
                  LogColor::Error);
        return false;
    }
    const QString text = QString::fromUtf8(path);
    const bool opened = openDocument_ ? openDocument_(text, asText) : openWithDesktop(text, asText);
    if (!opened)
        AppendLog(UiText::tr("Cannot open %1\n").arg(text), LogColor::Error);
    return opened;
}

void CLocalWnd::OpenSelection()
{
    for (int row : list_->selectedRows()) {
        if (isFolderRow(row)) {
            ShowFolder(rowPath(row));
            return;
        }
        (void)openFile(rowPath(row), false);
    }
}

void CLocalWnd::OpenWithNotepad()
{
    const std::vector<int> selected = list_->selectedRows();
    if (!selected.empty() && !isFolderRow(selected.front()))
        (void)openFile(rowPath(selected.front()), true);
}

void CLocalWnd::OpenWithExplorer()
{
    (void)openFile(current_, false);
}

void CLocalWnd::StartRename()
{
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty() || renameEditor_)
        return;
    const int row = selected.front();
    const QModelIndex index = list_->listModel()->index(row, 0);
    list_->scrollTo(index);
    renameFrom_ = rowPath(row);
    renameEditor_ = new QLineEdit(list_->viewport());
    renameEditor_->setObjectName(QStringLiteral("renameEditor"));
    renameEditor_->setText(list_->listModel()->text(row, 0));
    renameEditor_->setGeometry(list_->visualRect(index));
    renameEditor_->installEventFilter(this);
    renameEditor_->selectAll();
    renameEditor_->show();
    renameEditor_->setFocus();
    connect(renameEditor_, &QLineEdit::editingFinished, this, [this] { finishRename(true); });
}

void CLocalWnd::finishRename(bool accept)
{
    QLineEdit *editor = renameEditor_;
    if (!editor)
        return;
    renameEditor_ = nullptr;
    editor->hide();
    editor->deleteLater();
    list_->setFocus();
    const QString text = editor->text();
    if (!accept || text.isEmpty())
        return;
    const QByteArray name = text.toUtf8();
    // A "/" would move the entry into another folder instead of renaming it.
    if (!acceptableName(text))
        return;
    const QByteArray to = localfolder::joinPath(current_, name);
    if (to == renameFrom_)
        return;
    if (auto failure = localfolder::renameEntry(renameFrom_, to)) {
        logFailure(QT_TRANSLATE_NOOP("UiText", "Cannot rename %1: %2\n"), failure->path, failure->error);
        return;
    }
    ShowFolder(QByteArray());
    list_->SelectItemByName(text);
}

void CLocalWnd::DeleteSelection()
{
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty())
        return;
    if (!askDelete(this, loadText(TextId::DeleteTitle), loadText(TextId::ConfirmDeleteSelection),
                   list_->namesOf(selected), QMessageBox::Ok, QMessageBox::Cancel))
        return;
    {
        WaitCursor wait;
        for (int row : selected) {
            // Only an empty folder goes; a folder with entries stays, and the log says why.
            if (auto failure = localfolder::removeEntry(rowPath(row), isFolderRow(row)))
                logFailure(QT_TRANSLATE_NOOP("UiText", "Cannot delete %1: %2\n"), failure->path,
                           failure->error);
        }
    }
    ShowFolder(QByteArray());
}

void CLocalWnd::DeleteSubfolder()
{
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty() || !isFolderRow(selected.front()))
        return;
    const QByteArray root = rowPath(selected.front());
    if (!askDelete(this, loadText(TextId::DeleteTitle), loadText(TextId::ConfirmDeleteFolderTree),
                   list_->namesOf({selected.front()}), QMessageBox::Yes, QMessageBox::No))
        return;
    std::optional<localfolder::Failure> failure;
    {
        WaitCursor wait;
        failure = localfolder::deleteTree(root);
    }
    if (failure)
        AppendLog(UiText::tr("Deleting %1 stopped at %2: %3\n")
                      .arg(localfolder::shownPath(root), localfolder::shownPath(failure->path),
                           localfolder::errorText(failure->error)),
                  LogColor::Error);
    ShowFolder(QByteArray());
}

void CLocalWnd::NewFolder()
{
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("newFolderDialog"));
    dialog.setWindowTitle(UiText::tr("New Folder"));
    dialog.setLabelText(UiText::tr("New Folder"));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted || dialog.textValue().isEmpty())
        return;
    const QString name = dialog.textValue();
    // "../x" or "a/b" would make the folder somewhere else than in the folder shown.
    if (!acceptableName(name))
        return;
    const QByteArray path = localfolder::joinPath(current_, name.toUtf8());
    if (::mkdir(path.constData(), 0777) != 0) {
        logFailure(QT_TRANSLATE_NOOP("UiText", "Cannot create the folder %1: %2\n"), path, errno);
        return;
    }
    ShowFolder(QByteArray());
    list_->SelectItemByName(name);
}

void CLocalWnd::SelectAll()
{
    list_->selectAll();
    if (list_->listModel()->rowCount() > 0)
        list_->selectionModel()->setCurrentIndex(list_->listModel()->index(0, 0),
                                                 QItemSelectionModel::NoUpdate);
}

void CLocalWnd::UploadLater()
{
    if (!queue_)
        return;
    // The destination is read once, before the rows: the remote pane may move meanwhile.
    const QByteArray destination = remoteFolder_ ? remoteFolder_() : QByteArray();
    std::vector<QueueItem> items;
    for (int row : list_->selectedRows()) {
        QueueItem item;
        item.name = rowPath(row);
        item.isFolder = isFolderRow(row);
        item.sizeText = item.isFolder ? QByteArray() : list_->listModel()->text(row, 1).toUtf8();
        item.destination = destination;
        item.direction = QueueItem::Upload;
        items.push_back(std::move(item));
    }
    queue_->AddQueueItems(items, false);
}

void CLocalWnd::Upload()
{
    if (list_->selectedRows().empty())
        return;
    QMessageBox question(QMessageBox::Question, UiText::tr("Transfer"),
                         UiText::tr("Upload selected item(s) ?"), QMessageBox::Yes | QMessageBox::No, this);
    if (question.exec() != QMessageBox::Yes)
        return;
    UploadLater();
    if (transferStarter_)
        transferStarter_();
}
