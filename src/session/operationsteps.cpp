#include "session/operationsteps.h"

#include "engine/controlconnection.h"
#include "platform/log.h"
#include "platform/namecodec.h"
#include "session/jobs.h"
#include "session/remoteoperation.h"
#include "session/remotepath.h"
#include "session/session.h"
#include "session/viewposts.h"

namespace operationsteps
{

namespace
{
} // namespace

QByteArray logText(const QByteArray &name, QByteArrayView charset)
{
    return namecodec::decodeName(name, charset).toUtf8();
}

QByteArray commandPath(const Session &s, const QByteArray &folder, const QByteArray &name)
{
    return s.relativePaths ? name : childPath(folder, name);
}

void endIfConnectionLost(Session &s, const OperationResult &result)
{
    if (result.outcome != OperationResult::Outcome::ConnectionLost || !s.connected)
        return;
    AppendLog(LogColor::Error, TextId::ConnectionClosed);
    ConnectionLost(s);
}

void reportFailure(const Session &s, TextId message)
{
    AppendLog(LogColor::Error, message);
    s.beepIfEnabled();
}

bool refuseControlBytes(const Session &s, const QByteArray &text)
{
    if (!hasControlByte(text))
        return false;
    reportFailure(s, TextId::ControlCharacterRefused);
    return true;
}

void refreshFolder(RemoteProtocol &protocol, Session &s, const QByteArray &folder,
                   const QByteArray &select)
{
    viewposts::remote(s, [folder](RemoteListView &view) { view.dropCachedListings(folder, false); });
    (void)RefreshJob(protocol, s, RefreshRequest{folder, std::nullopt});
    if (!select.isEmpty())
        viewposts::remote(s, [select](RemoteListView &view) { view.selectRemoteItem(select); });
}

} // namespace operationsteps
