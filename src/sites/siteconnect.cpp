#include "sites/siteconnect.h"

#include "platform/programpaths.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "sites/sitemanagerdialog.h"

void ConnectToSite(const SiteFields &site)
{
    SessionState &state = session();
    // The running job may still read the login fields, so it ends before they change.
    if ((state.connected || state.busy) && sessionHooks().requestDisconnect)
        sessionHooks().requestDisconnect();

    state.serverHost = site.address;
    state.userName = site.userId;
    state.password = site.password;
    state.port = site.port;
    state.initialRemotePath = site.remotePath;
    state.initialLocalPath = site.localPath;
    state.anonymousLogin = site.anonymous;
    state.relativePaths = site.relativePath;

    if (sessionHooks().requestConnect)
        sessionHooks().requestConnect();
}

bool OpenSiteManager(QWidget *parent)
{
    return OpenSiteManager(parent, programpaths::programFolder());
}

bool OpenSiteManager(QWidget *parent, const QString &folder)
{
    SiteFields chosen;
    {
        SiteManagerDialog dialog(folder, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen = dialog.fields();
    }
    // The dialog is gone (and its selection stored) before the session starts.
    ConnectToSite(chosen);
    return true;
}
