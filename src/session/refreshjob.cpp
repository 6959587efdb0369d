#include "engine/dircommands.h"
#include "platform/log.h"
#include "session/jobs.h"
#include "session/listingjob.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

void RefreshJob(const QByteArray &path)
{
    SessionState &s = session();
    if (!s.connected)
        return;
    viewposts::setWaitCursor(true);
    if (s.relativePaths) {
        // The server's working directory already follows the pane.
        LoadListing();
    } else if (RemoteChangeDirectory(s, path) == 2) {
        LoadListing();
    } else {
        AppendLogId(LogColor::Error, 129);
        s.beepIfEnabled();
    }
    viewposts::setWaitCursor(false);
}
