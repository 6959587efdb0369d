#include "session/treedeletejob.h"

#include "platform/log.h"
#include "platform/workerstop.h"
#include "session/listingjob.h"
#include "session/operationsteps.h"
#include "session/remotepath.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/viewposts.h"
#include "session/waitcursorscope.h"

#include <set>

using operationsteps::endIfConnectionLost;
using operationsteps::logText;

namespace
{

// Deeper than any real tree; a server that lists a new folder inside every folder ends here.
constexpr int maxDepth = 256;

class TreeWalk
{
public:
    TreeWalk(RemoteProtocol &protocol, Session &s, QByteArray parent)
        : protocol_(protocol), s_(s), relative_(s.relativePaths), parent_(std::move(parent))
    {
    }

    // True when the whole tree went.
    bool run(const QByteArray &name)
    {
        if (!removeFolder(name, childPath(parent_, name), parent_, 0))
            return false;
        show({}, parent_);
        return true;
    }

private:
    // The folder `name` of `parent`, reached from the parent's working directory. True when it
    // was removed; false when the walk stopped (the folder where it stopped is listed).
    bool removeFolder(const QByteArray &name, const QByteArray &path, const QByteArray &parent, int depth)
    {
        workerstop::throwIfRequested();
        if (depth > maxDepth) {
            AppendLog(LogColor::Error, TextId::TreeTooDeep, maxDepth, logText(path).constData());
            show({}, parent);
            return false;
        }
        if (!entered_.insert(path).second) {
            stopAt(path);
            show({}, parent);
            return false;
        }
        if (!step(protocol_.changeFolder(relative_ ? name : path))) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
            s_.beepIfEnabled();
            stopAt(path);
            show({}, parent);
            return false;
        }
        const std::optional<FolderListing> listing = listFolder();
        if (!listing) {
            stopAt(path);
            return false;
        }
        if (!emptyFolder(*listing, path, depth))
            return false;

        (void)step(protocol_.changeToParent());
        if (!step(protocol_.removeFolder(relative_ ? name : path))) {
            AppendLog(LogColor::Error, TextId::CannotRemoveFolderInTree, logText(path).constData());
            s_.beepIfEnabled();
            show(name, path);
            return false;
        }
        dropCache(path);
        if (listing->path != path)
            dropCache(listing->path);
        return true;
    }

    // Subfolders first, then files. A row the walk may not touch stays, so the folder's removal
    // is refused and the walk stops there.
    bool emptyFolder(const FolderListing &listing, const QByteArray &path, int depth)
    {
        for (const RemoteItem &item : listing.items) {
            if (!item.folder || !mayTouch(item, path))
                continue;
            if (!removeFolder(item.name, childPath(path, item.name), path, depth + 1))
                return false;
        }
        for (const RemoteItem &item : listing.items) {
            if (item.folder || !mayTouch(item, path))
                continue;
            workerstop::throwIfRequested();
            // A file that stays is reported by the folder's removal.
            (void)step(protocol_.deleteFile(relative_ ? item.name : childPath(path, item.name)));
        }
        return true;
    }

    bool mayTouch(const RemoteItem &item, const QByteArray &path)
    {
        // A link is never followed: its target lies outside the tree.
        if (isLinkName(item.name) || item.linkAttributes)
            return false;
        if (!isPlainName(item.name, path)) {
            AppendLog(LogColor::Error, TextId::TreeDeleteNotPlainName,
                      logText(childPath(path, item.name)).constData());
            return false;
        }
        return true;
    }

    // Lists where the walk is: the folder `name` below the working directory (relative mode),
    // or `path` (absolute mode); an empty name lists the working directory itself.
    void show(const QByteArray &name, const QByteArray &path)
    {
        workerstop::throwIfRequested();
        const QByteArray target = relative_ ? name : path;
        if (!target.isEmpty()) {
            if (!step(protocol_.changeFolder(target))) {
                AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
                s_.beepIfEnabled();
                return;
            }
        }
        (void)listFolder();
    }

    // A step's result; a connection the server closed ends the session here.
    bool step(const OperationResult &result)
    {
        endIfConnectionLost(s_, result);
        return result.done();
    }

    std::optional<FolderListing> listFolder()
    {
        std::optional<FolderListing> listing = ListFolderRows(protocol_, s_);
        // A reply that never came because the server closed the connection ends the session.
        if (s_.connectionEnded)
            endIfConnectionLost(s_, {OperationResult::Outcome::ConnectionLost});
        return listing;
    }

    void stopAt(const QByteArray &path)
    {
        AppendLog(LogColor::Error, TextId::TreeDeleteStopped, logText(path).constData());
        s_.beepIfEnabled();
    }

    void dropCache(const QByteArray &path)
    {
        viewposts::remote(s_, [path](RemoteListView &view) { view.dropCachedListings(path, false); });
    }

    RemoteProtocol &protocol_;
    Session &s_;
    const bool relative_;
    const QByteArray parent_;
    std::set<QByteArray> entered_;
};

} // namespace

OperationResult DeleteTreeJob(RemoteProtocol &protocol, Session &s, const DeleteTreeRequest &request)
{
    if (!s.connected)
        return {OperationResult::Outcome::ConnectionLost};
    const RemoteItem &top = request.top;
    const OperationResult refused{OperationResult::Outcome::Refused};
    if (!top.folder || top.linkAttributes || isLinkName(top.name))
        return refused;
    // A listed name such as "../x" would take the walk outside the folder shown.
    if (!isPlainName(top.name, request.folder)) {
        AppendLog(LogColor::Error, TextId::TreeDeleteNotPlainName,
                  logText(childPath(request.folder, top.name)).constData());
        return refused;
    }
    const WaitCursorScope cursor(s);
    return TreeWalk(protocol, s, request.folder).run(top.name) ? OperationResult{} : refused;
}
