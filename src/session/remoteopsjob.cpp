#include "session/remoteopsjob.h"

#include "platform/log.h"
#include "platform/workerstop.h"
#include "session/operationsteps.h"
#include "session/remotepath.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/viewposts.h"
#include "session/waitcursorscope.h"

using operationsteps::commandPath;
using operationsteps::endIfConnectionLost;
using operationsteps::logText;
using operationsteps::refuseControlBytes;
using operationsteps::reportFailure;

namespace
{

const OperationResult notConnected{OperationResult::Outcome::ConnectionLost};
const OperationResult refusedHere{OperationResult::Outcome::Refused};

// A name typed for the folder shown: no separator (it would name another folder) and nothing that
// breaks the command line. True when refused.
bool refuseTypedName(const Session &s, const QByteArray &name, const QByteArray &folder)
{
    switch (typedNameProblem(name, folder)) {
    case NameProblem::None:
        return false;
    case NameProblem::Separator:
        AppendLog(LogColor::Error, TextId::NameHoldsSeparator, logText(name, s.charset).constData());
        s.beepIfEnabled();
        return true;
    case NameProblem::ControlByte:
        return refuseControlBytes(s, name);
    }
    return true;
}

// The rename of one row; nullopt when the server ended it without taking the new name.
std::optional<OperationResult> renameOnServer(RemoteProtocol &protocol, Session &s,
                                              const QByteArray &from, const QByteArray &to)
{
    std::optional<OperationResult> result = protocol.rename(from, to);
    if (result)
        endIfConnectionLost(s, *result);
    return result;
}

} // namespace

OperationResult RenameJob(RemoteProtocol &protocol, Session &s, const RenameRequest &request)
{
    if (!s.connected)
        return notConnected;
    if (refuseTypedName(s, request.newName, request.folder))
        return refusedHere;
    const WaitCursorScope cursor(s);
    AppendLog(LogColor::Status, TextId::Renaming, logText(request.name, s.charset).constData(),
              logText(request.newName, s.charset).constData());
    const std::optional<OperationResult> result =
        renameOnServer(protocol, s, commandPath(s, request.folder, request.name),
                       commandPath(s, request.folder, request.newName));
    if (!result)
        return {};
    if (result->done())
        operationsteps::refreshFolder(protocol, s, request.folder, request.newName);
    else
        reportFailure(s, TextId::RenameFailed);
    return *result;
}

OperationResult DeleteItemsJob(RemoteProtocol &protocol, Session &s, const DeleteRequest &request)
{
    if (!s.connected)
        return notConnected;
    const WaitCursorScope cursor(s);
    OperationResult outcome;
    for (const RemoteItem &item : request.rows) {
        workerstop::throwIfRequested();
        if (isLinkName(item.name))
            continue;
        const QByteArray name = commandPath(s, request.folder, item.name);
        AppendLog(LogColor::Status, TextId::Deleting, logText(name, s.charset).constData());
        OperationResult result;
        if (item.folder) {
            if (item.linkAttributes)
                continue;
            const QByteArray path = childPath(request.folder, item.name);
            viewposts::remote(s, [path](RemoteListView &view) { view.dropCachedListings(path, false); });
            result = protocol.removeFolder(name);
        } else {
            result = protocol.deleteFile(name);
        }
        endIfConnectionLost(s, result);
        if (!result.done()) {
            reportFailure(s, TextId::DeleteFailed);
            outcome = result;
        }
    }
    operationsteps::refreshFolder(protocol, s, request.folder);
    return outcome;
}

OperationResult NewFolderJob(RemoteProtocol &protocol, Session &s, const NewFolderRequest &request)
{
    if (!s.connected)
        return notConnected;
    if (refuseTypedName(s, request.name, request.folder))
        return refusedHere;
    const WaitCursorScope cursor(s);
    AppendLog(LogColor::Status, TextId::CreatingFolder, logText(request.name, s.charset).constData());
    const OperationResult result = protocol.makeFolder(commandPath(s, request.folder, request.name));
    endIfConnectionLost(s, result);
    if (result.done())
        operationsteps::refreshFolder(protocol, s, request.folder, request.name);
    else
        reportFailure(s, TextId::CreatingFolderFailed);
    return result;
}

OperationResult MoveItemsJob(RemoteProtocol &protocol, Session &s, const MoveRequest &request)
{
    if (!s.connected)
        return notConnected;
    // A destination is a path: only what would break the command line is refused.
    if (refuseControlBytes(s, request.destination))
        return refusedHere;
    const WaitCursorScope cursor(s);
    // Both sides are joined with the separator of the folder shown, whatever the destination's.
    const char separator = pathSeparator(request.folder);
    const QByteArray destination = collapseSeparators(request.destination, separator);
    bool moved = false;
    OperationResult outcome;
    for (const RemoteItem &item : request.rows) {
        workerstop::throwIfRequested();
        const QByteArray source = collapseSeparators(
            s.relativePaths ? item.name : request.folder + separator + item.name, separator);
        const QByteArray target = collapseSeparators(request.destination + separator + item.name, separator);
        AppendLog(LogColor::Status, TextId::Moving, logText(source, s.charset).constData(),
                  logText(target, s.charset).constData());
        const std::optional<OperationResult> result = renameOnServer(protocol, s, source, target);
        if (!result)
            continue;
        if (!result->done()) {
            reportFailure(s, TextId::RenameFailed);
            outcome = *result;
            continue;
        }
        moved = true;
        const QByteArray movedFolder = childPath(request.folder, item.name);
        const bool folder = item.folder;
        viewposts::remote(s, [folder, movedFolder, destination](RemoteListView &view) {
            if (folder)
                view.dropCachedListings(movedFolder, true);
            view.dropCachedListings(destination, false);
        });
    }
    if (moved)
        operationsteps::refreshFolder(protocol, s, request.folder);
    return outcome;
}
