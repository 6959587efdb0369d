#include "panes/syncbrowsing.h"

#include "panes/localwnd.h"
#include "panes/remotepaths.h"
#include "panes/remotewnd.h"
#include "panes/syncpaths.h"
#include "platform/log.h"
#include "platform/textformat.h"
#include "session/sessioncontroller.h"

#include <QFile>

namespace
{

QByteArray shownLocal(const QByteArray &path)
{
    return QFile::decodeName(path).toUtf8();
}

QByteArray shownRemote(const QByteArray &path)
{
    return displayPath(path).toUtf8();
}

} // namespace

SyncBrowsing::SyncBrowsing(CLocalWnd *local, CRemoteWnd *remote, SessionController *controller, QObject *parent)
    : QObject(parent), local_(local), remote_(remote), controller_(controller)
{
    connect(local, &CLocalWnd::folderShown, this, &SyncBrowsing::localShown);
    connect(remote, &CRemoteWnd::folderShown, this, &SyncBrowsing::remoteShown);
    if (controller)
        connect(controller, &SessionController::stateChanged, this, &SyncBrowsing::sessionChanged);
}

bool SyncBrowsing::setEnabled(bool on)
{
    if (on == on_)
        return true;
    awaited_.reset();
    asked_ = false;
    if (!on) {
        on_ = false;
        AppendLog(LogColor::Status, TextId::SyncBrowsingOff);
        return true;
    }
    const QByteArray local = local_ ? local_->currentFolder() : QByteArray();
    const QByteArray remote = remote_ ? remote_->currentPath() : QByteArray();
    // In relative mode the server's folder moves one step at a time with the pane: a walk of
    // several steps cannot be asked for by path.
    const bool relative = controller_ && controller_->login().relativePaths;
    if (local.isEmpty() || remote.isEmpty() || relative) {
        AppendLog(LogColor::Error, TextId::SyncNeedsFolders);
        return false;
    }
    on_ = true;
    localBase_ = localSeen_ = local;
    remoteBase_ = remoteSeen_ = remote;
    AppendLog(LogColor::Status, TextId::SyncBrowsingOn, shownLocal(local).constData(),
              shownRemote(remote).constData());
    return true;
}

bool SyncBrowsing::ignoring() const
{
    // The queue job walks both panes itself and puts them back when it ends.
    return !on_ || !local_ || !remote_ || (controller_ && controller_->transferRunning());
}

std::optional<QByteArray> SyncBrowsing::counterpart(const QByteArray &path, QByteArray &fromBase, QByteArray &toBase)
{
    FolderWalk walk = walkBetween(fromBase, path);
    const std::optional<QByteArray> target = followWalk(toBase, walk);
    if (!target)
        return std::nullopt;
    if (walk.up > 0) {
        fromBase = climb(fromBase, walk.up).value_or(fromBase);
        toBase = climb(toBase, walk.up).value_or(toBase);
    }
    return target;
}

void SyncBrowsing::localShown(const QByteArray &path)
{
    if (ignoring() || path == localSeen_)
        return;
    localSeen_ = path;
    const std::optional<QByteArray> target = counterpart(path, localBase_, remoteBase_);
    if (!target) {
        stop(formatText(TextId::SyncNoFolderAbove, shownRemote(remoteBase_).constData()));
        return;
    }
    if (*target == remote_->currentPath() && !awaited_)
        return;
    enterRemote(*target);
}

void SyncBrowsing::enterRemote(const QByteArray &target)
{
    awaited_ = target;
    asked_ = false;
    // A job that runs now would refuse the listing: it is asked for once the session is idle.
    if (controller_ && controller_->busy())
        return;
    asked_ = true;
    remoteSeen_ = target;
    remote_->Navigate(target);
    // Shown from the cache at once, or refused at once (not cached while offline); otherwise the
    // listing job answers when it ends.
    if (!controller_ || !controller_->busy())
        checkRemoteArrival();
}

void SyncBrowsing::sessionChanged()
{
    if (!on_ || !awaited_ || !controller_ || controller_->busy())
        return;
    if (!asked_) {
        enterRemote(*awaited_);
        return;
    }
    checkRemoteArrival();
}

void SyncBrowsing::checkRemoteArrival()
{
    if (!awaited_ || !remote_)
        return;
    const QByteArray target = *awaited_;
    awaited_.reset();
    asked_ = false;
    if (remote_->currentPath() != target)
        stop(formatText(TextId::SyncRemoteRefused, shownRemote(target).constData()));
}

void SyncBrowsing::remoteShown(const QByteArray &path)
{
    if (ignoring())
        return;
    if (awaited_) {
        if (asked_ && path != *awaited_) {
            // The server went elsewhere than asked (a link that loops back, a folder that is a
            // link to another place): following it would walk the local pane off its way.
            const QByteArray asked = *awaited_;
            awaited_.reset();
            asked_ = false;
            stop(formatText(TextId::SyncServerElsewhere, shownRemote(path).constData(),
                            shownRemote(asked).constData()));
        }
        return;
    }
    if (path == remoteSeen_)
        return;
    remoteSeen_ = path;
    const std::optional<QByteArray> target = counterpart(path, remoteBase_, localBase_);
    if (!target) {
        stop(formatText(TextId::SyncNoFolderAbove, shownLocal(localBase_).constData()));
        return;
    }
    if (*target == local_->currentFolder())
        return;
    localSeen_ = *target;
    if (!local_->ShowFolder(*target))
        stop(formatText(TextId::SyncNoLocalFolder, shownLocal(*target).constData()));
}

void SyncBrowsing::stop(const QString &reason)
{
    on_ = false;
    awaited_.reset();
    asked_ = false;
    AppendLog(reason, LogColor::Error);
    emit stopped();
}
