#include "session/remoteopsjob.h"

#include "engine/controlconnection.h"
#include "engine/dircommands.h"
#include "platform/log.h"
#include "platform/workerstop.h"
#include "session/operationsteps.h"
#include "session/remotepath.h"
#include "session/sessionstate.h"
#include "session/treedeletejob.h"
#include "session/viewposts.h"
#include "session/waitcursorscope.h"

using operationsteps::commandPath;
using operationsteps::endIfConnectionClosed;
using operationsteps::logText;

namespace
{

constexpr int renamingId = 185;
constexpr int renameFailedId = 186;
constexpr int deletingId = 187;
constexpr int deleteFailedId = 188;
constexpr int creatingFolderId = 189;
constexpr int creatingFolderFailedId = 190;
constexpr int movingId = 194;

enum class RenameResult { Renamed, Silent, Failed };

// RNFR, then RNTO when the server waits for it. A server that answers RNFR with class 2 has
// done all it will do: nothing more is sent or reported.
RenameResult renameOnServer(SessionState &s, const QByteArray &from, const QByteArray &to)
{
    const int first = SendCommand(s, "RNFR " + from);
    endIfConnectionClosed(s);
    if (first == 2)
        return RenameResult::Silent;
    if (first != 3)
        return RenameResult::Failed;
    const int second = SendCommand(s, "RNTO " + to);
    endIfConnectionClosed(s);
    return second == 2 ? RenameResult::Renamed : RenameResult::Failed;
}

void reportFailure(SessionState &s, int id)
{
    AppendLogId(LogColor::Error, id);
    s.beepIfEnabled();
}

} // namespace

void RenameJob(const RemoteOperation &operation)
{
    SessionState &s = session();
    if (!s.connected || operation.items.empty())
        return;
    const WaitCursorScope cursor;
    const QByteArray &oldName = operation.items.front().name;
    const QByteArray &newName = operation.text;
    AppendLogId(LogColor::Status, renamingId, logText(oldName).constData(), logText(newName).constData());
    const RenameResult result =
        renameOnServer(s, commandPath(operation.folder, oldName), commandPath(operation.folder, newName));
    if (result == RenameResult::Renamed)
        operationsteps::refreshFolder(operation.folder, newName);
    else if (result == RenameResult::Failed)
        reportFailure(s, renameFailedId);
}

void DeleteItemsJob(const RemoteOperation &operation)
{
    SessionState &s = session();
    if (!s.connected)
        return;
    const WaitCursorScope cursor;
    for (const RemoteItem &item : operation.items) {
        workerstop::throwIfRequested();
        if (isLinkName(item.name))
            continue;
        const QByteArray name = commandPath(operation.folder, item.name);
        AppendLogId(LogColor::Status, deletingId, logText(name).constData());
        int result = 0;
        if (item.folder) {
            if (item.linkAttributes)
                continue;
            const QByteArray path = childPath(operation.folder, item.name);
            viewposts::remote([path](RemoteListView &view) { view.dropCachedListings(path, false); });
            result = RemoteRemoveDirectory(s, name);
        } else {
            result = RemoteDeleteFile(s, name);
        }
        endIfConnectionClosed(s);
        if (result != 2)
            reportFailure(s, deleteFailedId);
    }
    operationsteps::refreshFolder(operation.folder);
}

void NewFolderJob(const RemoteOperation &operation)
{
    SessionState &s = session();
    if (!s.connected)
        return;
    const WaitCursorScope cursor;
    const QByteArray &typed = operation.text;
    AppendLogId(LogColor::Status, creatingFolderId, logText(typed).constData());
    const int result = RemoteMakeDirectory(s, commandPath(operation.folder, typed));
    endIfConnectionClosed(s);
    if (result == 2)
        operationsteps::refreshFolder(operation.folder, typed);
    else
        reportFailure(s, creatingFolderFailedId);
}

void MoveItemsJob(const RemoteOperation &operation)
{
    SessionState &s = session();
    if (!s.connected)
        return;
    const WaitCursorScope cursor;
    // Both sides are joined with the separator of the folder shown, whatever the destination's.
    const char separator = pathSeparator(operation.folder);
    const QByteArray destination = collapseSeparators(operation.text, separator);
    bool moved = false;
    for (const RemoteItem &item : operation.items) {
        workerstop::throwIfRequested();
        const QByteArray source = collapseSeparators(
            s.relativePaths ? item.name : operation.folder + separator + item.name, separator);
        const QByteArray target = collapseSeparators(operation.text + separator + item.name, separator);
        AppendLogId(LogColor::Status, movingId, logText(source).constData(), logText(target).constData());
        switch (renameOnServer(s, source, target)) {
        case RenameResult::Renamed: {
            moved = true;
            const QByteArray movedFolder = childPath(operation.folder, item.name);
            const bool folder = item.folder;
            viewposts::remote([folder, movedFolder, destination](RemoteListView &view) {
                if (folder)
                    view.dropCachedListings(movedFolder, true);
                view.dropCachedListings(destination, false);
            });
            break;
        }
        case RenameResult::Silent:
            break;
        case RenameResult::Failed:
            reportFailure(s, renameFailedId);
            break;
        }
    }
    if (moved)
        operationsteps::refreshFolder(operation.folder);
}

void RemoteOperationJob(JobCode code, const QByteArray &argument)
{
    const std::optional<RemoteOperation> operation = RemoteOperation::decode(argument);
    if (!operation)
        return;
    switch (code) {
    case JobCode::NewFolder:
        NewFolderJob(*operation);
        break;
    case JobCode::RenameItem:
        RenameJob(*operation);
        break;
    case JobCode::DeleteItems:
        DeleteItemsJob(*operation);
        break;
    case JobCode::MoveItems:
        MoveItemsJob(*operation);
        break;
    case JobCode::DeleteTree:
        DeleteTreeJob(*operation);
        break;
    default:
        break;
    }
}
