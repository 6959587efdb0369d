#include "platform/log.h"
#include "session/jobs.h"
#include "session/listingjob.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/viewposts.h"

namespace
{
} // namespace

OperationResult RefreshJob(RemoteProtocol &protocol, Session &s, const RefreshRequest &request)
{
    if (!s.connected)
        return {OperationResult::Outcome::ConnectionLost};
    viewposts::setWaitCursor(s, true);
    OperationResult result;
    // The server's working directory already follows the pane in relative mode.
    if (!s.relativePaths)
        result = protocol.changeFolder(request.folder);
    if (result.done()) {
        result = LoadListing(protocol, s, request.cache);
    } else {
        AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
        s.beepIfEnabled();
    }
    viewposts::setWaitCursor(s, false);
    return result;
}
