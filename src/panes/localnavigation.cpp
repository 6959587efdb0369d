// The local pane's way around the file system: showing a folder, Up, the path box, Browse.
#include "controls/sortlistctrl.h"
#include "panes/localfolder.h"
#include "panes/localwnd.h"
#include "platform/log.h"
#include "platform/uitext.h"
#include "platform/uithread.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>

namespace
{

// The wait cursor for as long as a folder is read.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

std::optional<RowOrder> CLocalWnd::rowOrder() const
{
    return list_ ? list_->ReSortOrder() : std::nullopt;
}

QByteArray CLocalWnd::currentFolder() const
{
    if (uithread::isUiThread())
        return current_;
    QPointer<const CLocalWnd> self(this);
    return uithread::call<QByteArray>([self] { return self ? self->current_ : QByteArray(); });
}

QByteArray CLocalWnd::PathJoin(const QByteArray &name) const
{
    return localfolder::joinPath(currentFolder(), name);
}

std::vector<FileRow> CLocalWnd::rows() const
{
    QPointer<const CLocalWnd> self(this);
    auto read = [self] {
        return self && self->list_ ? self->list_->listModel()->rowsInDisplayOrder() : std::vector<FileRow>();
    };
    if (uithread::isUiThread())
        return read();
    return uithread::call<std::vector<FileRow>>(read);
}

bool CLocalWnd::ShowFolder(const QByteArray &path)
{
    if (uithread::isUiThread())
        return showFolderHere(path);
    QPointer<CLocalWnd> self(this);
    return uithread::call<bool>([self, path] { return self && self->showFolderHere(path); });
}

bool CLocalWnd::showFolderHere(const QByteArray &path)
{
    if (noChange_ || !initialised_)
        return false;
    WaitCursor wait;
    if (!path.isEmpty()) {
        const QByteArray folder = localfolder::tidyPath(path);
        if (!localfolder::folderExists(folder))
            return false;
        current_ = folder;
    }
    showPathInCombo(current_);
    localfolder::Listing listing = localfolder::listFolder(current_);
    if (listing.error != 0)
        AppendLog(UiText::tr("Cannot read the folder %1: %2\n")
                      .arg(localfolder::shownPath(current_), localfolder::errorText(listing.error)),
                  LogColor::Error);
    if (listing.capped)
        AppendLog(UiText::tr("Only the first %1 entries of %2 are shown.\n")
                      .arg(localfolder::maxEntries)
                      .arg(localfolder::shownPath(current_)),
                  LogColor::Error);
    list_->setRows(std::move(listing.rows));
    emit folderShown(current_);
    return true;
}

void CLocalWnd::showPathInCombo(const QByteArray &path)
{
    updatingCombo_ = true;
    int index = pathCombo_->findData(path);
    if (index < 0) {
        // Kept in order, as a sorted box would keep them.
        const QString shown = localfolder::shownPath(path);
        index = 0;
        while (index < pathCombo_->count() && pathCombo_->itemText(index) < shown)
            ++index;
        pathCombo_->insertItem(index, shown, path);
    }
    pathCombo_->setCurrentIndex(index);
    updatingCombo_ = false;
}

void CLocalWnd::pathTyped(const QString &text)
{
    if (updatingCombo_)
        return;
    if (text.isEmpty()) {
        updatingCombo_ = true;
        pathCombo_->setEditText(localfolder::shownPath(current_));
        updatingCombo_ = false;
        return;
    }
    // A final separator on a longer text means more is coming.
    if (text.size() < 3 || (text.size() > 4 && text.endsWith(QLatin1Char('/'))))
        return;
    const QByteArray folder = localfolder::tidyPath(text.toUtf8());
    if (folder == current_ || !localfolder::folderExists(folder))
        return;
    ShowFolder(folder);
    pathCombo_->lineEdit()->setCursorPosition(int(pathCombo_->lineEdit()->text().size()));
}

void CLocalWnd::GoUp()
{
    const localfolder::ParentStep step = localfolder::parentOf(current_);
    if (!step.hasParent)
        return;
    if (ShowFolder(step.parent))
        list_->SelectItemByName(localfolder::shownPath(step.leftName));
}

void CLocalWnd::Refresh()
{
    const std::vector<int> selected = list_->selectedRows();
    const QString name = selected.empty() ? QString() : list_->listModel()->text(selected.front(), 0);
    ShowFolder(QByteArray());
    if (!name.isEmpty())
        list_->SelectItemByName(name);
}

void CLocalWnd::Browse()
{
    QFileDialog dialog(this, UiText::tr("Browse"), QFile::decodeName(current_));
    dialog.setObjectName(QStringLiteral("browseDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ShowFolder(QFile::encodeName(dialog.selectedFiles().constFirst()));
}
