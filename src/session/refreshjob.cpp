#include "engine/dircommands.h"
#include "engine/listingloader.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "session/jobs.h"
#include "session/paneupdates.h"
#include "session/sessionstate.h"

void RefreshJob()
{
    SessionState &s = session();
    if (!s.connected)
        return;
    paneupdates::setWaitCursor(true);
    if (s.relativePaths) {
        // The server's working directory already follows the pane.
        LoadListing();
    } else if (RemoteChangeDirectory(s.controlSocket, s.commandArgument) == 2) {
        LoadListing();
    } else {
        AppendLogId(LogColor::Error, 129);
        BeepIfEnabled();
    }
    paneupdates::setWaitCursor(false);
}
