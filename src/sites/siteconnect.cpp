#include "sites/siteconnect.h"

#include "platform/keyring.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
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
    login.charset = site.charset;
    return login;
}

void ConnectToSite(SessionController &controller, const SiteFields &site)
{
    fetchSitePassword(site, &controller, [&controller](const SiteFields &withPassword) {
        controller.connectTo(loginFromSite(withPassword));
    });
}

void fetchSitePassword(const SiteFields &site, QObject *context, std::function<void(const SiteFields &)> done)
{
    // A password typed since the keyring took the last one is the newer.
    if (site.keyringKey.isEmpty() || !site.password.isEmpty() || site.anonymous) {
        done(site);
        return;
    }
    keyring::read(site.keyringKey, context, [site, done = std::move(done)](const keyring::Answer &answer) {
        SiteFields fields = site;
        // Without it the login asks, as for a site that keeps no password.
        if (answer.outcome == keyring::Outcome::Done)
            fields.password = answer.password;
        else
            AppendLog(LogColor::Error, TextId::KeyringReadFailed, site.keyringKey, keyring::describe(answer));
        done(fields);
    });
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
