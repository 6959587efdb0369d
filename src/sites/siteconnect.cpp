#include "sites/siteconnect.h"

#include "platform/programpaths.h"
#include "session/sessioncontroller.h"
#include "sites/sitemanagerdialog.h"

LoginFields loginFromSite(const SiteFields &site)
{
    LoginFields login;
    login.serverHost = site.address;
    login.userName = site.userId;
    login.password = site.password;
    login.port = site.port;
    login.initialRemotePath = site.remotePath;
    login.initialLocalPath = site.localPath;
    login.anonymousLogin = site.anonymous;
    login.relativePaths = site.relativePath;
    login.encryption = site.encryption;
    return login;
}

void ConnectToSite(SessionController &controller, const SiteFields &site)
{
    controller.connectTo(loginFromSite(site));
}

bool OpenSiteManager(QWidget *parent, SessionController &controller)
{
    return OpenSiteManager(parent, controller, programpaths::programFolder());
}

bool OpenSiteManager(QWidget *parent, SessionController &controller, const QString &folder)
{
    SiteFields chosen;
    {
        SiteManagerDialog dialog(folder, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        chosen = dialog.fields();
    }
    // The dialog is gone (and its selection stored) before the session starts.
    ConnectToSite(controller, chosen);
    return true;
}
