#include "session/operationsteps.h"

#include "engine/controlconnection.h"
#include "platform/log.h"
#include "platform/namecodec.h"
#include "session/jobs.h"
#include "session/remotepath.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

namespace operationsteps
{

QByteArray logText(const QByteArray &name)
{
    return namecodec::decodeName(name).toUtf8();
}

QByteArray commandPath(const QByteArray &folder, const QByteArray &name)
{
    return session().relativePaths ? name : childPath(folder, name);
}

void endIfConnectionClosed(SessionState &s)
{
    if (!s.connectionEnded || !s.connected)
        return;
    AppendLogId(LogColor::Error, 171);
    ConnectionLost(s);
}

void refreshFolder(const QByteArray &folder, const QByteArray &select)
{
    viewposts::remote([folder](RemoteListView &view) { view.dropCachedListings(folder, false); });
    RefreshJob(folder);
    if (!select.isEmpty())
        viewposts::remote([select](RemoteListView &view) { view.selectRemoteItem(select); });
}

} // namespace operationsteps
