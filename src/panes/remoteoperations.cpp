// The file operations of the remote pane: the window thread asks what to do and hands the rows to
// a worker job, which sends the commands, logs them and lists the folder again.
#include "panes/remotewnd.h"

#include "controls/deletequestion.h"
#include "controls/sortlistctrl.h"
#include "panes/changeattributedialog.h"
#include "panes/movetodialog.h"
#include "panes/newfolderdialog.h"
#include "panes/remotenameeditor.h"
#include "panes/remotepaths.h"
#include "panes/usercommanddialog.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"

#include <QMessageBox>
#include <QPushButton>

namespace
{

// True when `name` may go out; otherwise says why not and gives false.
bool acceptTypedName(const QByteArray &name, const QByteArray &folder)
{
    switch (typedNameProblem(name, folder)) {
    case NameProblem::None:
        return true;
    case NameProblem::Separator:
        AppendLog(LogColor::Error, TextId::NameHoldsSeparator, displayPath(name).toUtf8().constData());
        break;
    case NameProblem::ControlByte:
        AppendLog(LogColor::Error, TextId::ControlCharacterRefused);
        break;
    }
    BeepIfEnabled();
    return false;
}

// The bytes a typed name or command goes out as in the site's character set; nothing, with the
// reason in the log, when the set cannot hold it.
std::optional<QByteArray> encodeTyped(const QString &text, const QByteArray &charset)
{
    std::optional<QByteArray> bytes = namecodec::encodeName(text, charset);
    if (!bytes) {
        AppendLog(LogColor::Error, TextId::NameNotInCharset, text.toUtf8().constData(), charset.constData());
        BeepIfEnabled();
    }
    return bytes;
}

bool acceptCommandText(const QByteArray &text)
{
    if (!hasControlByte(text))
        return true;
    AppendLog(LogColor::Error, TextId::ControlCharacterRefused);
    BeepIfEnabled();
    return false;
}

} // namespace

bool CRemoteWnd::operationAllowed() const
{
    if (!controller_->connected())
        return false;
    if (controller_->busy()) {
        AppendLog(LogColor::Error, TextId::JobNotFinished);
        return false;
    }
    return true;
}

RemoteItem CRemoteWnd::itemAt(int row) const
{
    const SortListRow entry = list_->listModel()->row(row);
    return {entry.nameBytes(), isFolderRow(row), entry.text(3).startsWith(QLatin1Char('l'))};
}

RemoteOperation CRemoteWnd::selectionOperation() const
{
    RemoteOperation operation;
    operation.folder = currentPath_;
    for (int row : list_->selectedRows())
        operation.items.push_back(itemAt(row));
    return operation;
}

void CRemoteWnd::Rename()
{
    if (!operationAllowed())
        return;
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty() || isLinkName(itemAt(selected.front()).name))
        return;
    nameEditor_->begin(selected.front());
}

void CRemoteWnd::OnNameEdited(const QByteArray &oldName, const QString &newText)
{
    if (!operationAllowed())
        return;
    const std::optional<QByteArray> encoded = encodeTyped(newText, controller_->login().charset);
    if (!encoded)
        return;
    const QByteArray newName = *encoded;
    if (newName.isEmpty() || newName == oldName || !acceptTypedName(newName, currentPath_))
        return;
    RemoteOperation operation;
    operation.folder = currentPath_;
    operation.items.push_back({oldName, false, false});
    operation.text = newName;
    (void)controller_->startJob(RenameRequest{operation.folder, oldName, operation.text});
}

void CRemoteWnd::DeleteSelection()
{
    if (!operationAllowed() || list_->selectedRows().empty())
        return;
    if (!askDelete(this, loadText(TextId::DeleteTitle), loadText(TextId::ConfirmDeleteSelection),
                   list_->namesOf(list_->selectedRows()), QMessageBox::Ok, QMessageBox::Cancel))
        return;
    (void)controller_->startJob(DeleteRequest{currentPath_, selectionOperation().items});
}

void CRemoteWnd::NewFolder()
{
    if (!operationAllowed())
        return;
    NewFolderDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<QByteArray> encoded = encodeTyped(dialog.name(), controller_->login().charset);
    if (!encoded)
        return;
    const QByteArray typed = *encoded;
    if (typed.isEmpty() || !acceptTypedName(typed, currentPath_))
        return;
    RemoteOperation operation;
    operation.folder = currentPath_;
    operation.text = typed;
    (void)controller_->startJob(NewFolderRequest{operation.folder, operation.text});
}

void CRemoteWnd::MoveTo()
{
    if (!operationAllowed() || list_->selectedRows().empty())
        return;
    MoveToDialog dialog(*pathCombo_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    RemoteOperation operation = selectionOperation();
    // "/dest/" names the folder whose cache file is that of "/dest"; the moved rows' paths are
    // the same either way.
    operation.text = trimTypedPath(dialog.destination());
    // A destination is a path: only what would break the command line is refused.
    if (!acceptCommandText(operation.text))
        return;
    (void)controller_->startJob(MoveRequest{operation.folder, operation.items, operation.text});
}

void CRemoteWnd::DeleteSubfolder()
{
    if (!operationAllowed())
        return;
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty() || !isFolderRow(selected.front()))
        return;
    if (!askDelete(this, loadText(TextId::ProgramTitle), loadText(TextId::ConfirmDeleteFolderTree),
                   list_->namesOf({selected.front()}), QMessageBox::Yes, QMessageBox::No))
        return;
    const RemoteItem top = itemAt(selected.front());
    // A link is never followed: what it points to is not the user's folder to delete.
    if (top.linkAttributes || isLinkName(top.name))
        return;
    RemoteOperation operation;
    operation.folder = currentPath_;
    operation.items.push_back(top);
    (void)controller_->startJob(DeleteTreeRequest{operation.folder, top});
}

void CRemoteWnd::ChangeAttribute()
{
    if (!controller_->connected() || controller_->busy())
        return;
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty())
        return;
    const QString attributes = list_->listModel()->text(selected.front(), 3);
    if (attributes.isEmpty())
        return;
    ChangeAttributeDialog dialog(attributes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QByteArray name = itemAt(selected.front()).name;
    const QByteArray target = controller_->login().relativePaths ? name : ChildPath(name);
    const QByteArray command = "SITE CHMOD " + QByteArray::number(dialog.mode()) + ' ' + target;
    if (!acceptCommandText(command))
        return;
    (void)controller_->startJob(ChangeModeRequest{dialog.mode(), target});
}

void CRemoteWnd::UserCommand()
{
    if (controller_->busy() || !controller_->connected())
        return;
    UserCommandDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString typed = dialog.command();
    if (typed.compare(QLatin1String("DBGLIST"), Qt::CaseInsensitive) == 0) {
        // Nothing goes to the server: the next listing is kept as text and opened.
        controller_->keepNextListing();
        QMetaObject::invokeMethod(
            this, [this] { Refresh(); }, Qt::QueuedConnection);
        return;
    }
    const std::optional<QByteArray> command = encodeTyped(typed, controller_->login().charset);
    if (!command || !acceptCommandText(*command))
        return;
    (void)controller_->startJob(UserCommandRequest{*command});
}
