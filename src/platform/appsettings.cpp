#include "platform/appsettings.h"

#include "platform/programpaths.h"
#include "platform/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The password of anonymous logins until the user enters an address of their own.
const QString placeholderEmail = QStringLiteral("guest@example.com");
const QString defaultAsciiExtensions = QStringLiteral("HTM,HTML,C,CPP,H,CGI,TXT,NFO,PAS");

// A number the options pages would refuse comes from a damaged or hand-edited store. It must not
// reach the session: a keep-alive of 40000 minutes overflows the timer into a period of seconds,
// a negative retry count silences the failure message.
int readBounded(const QString &section, const QString &name, int defaultValue, int maximum)
{
    const int value = settingsstore::readInt(section, name, defaultValue);
    return value >= 0 && value <= maximum ? value : defaultValue;
}

int readSwitch(const QString &section, const QString &name, int defaultValue)
{
    return settingsstore::readInt(section, name, defaultValue) != 0 ? 1 : 0;
}

} // namespace

AppSettings &appSettings()
{
    static AppSettings settings;
    return settings;
}

QString defaultEmailAddress() { return placeholderEmail; }

QString defaultDownloadFolder()
{
    // Where the desktop puts downloads, so files are found where the user looks for them; a
    // system without a home folder still gets the program's own folder.
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return downloads.isEmpty() ? programpaths::programFolder() + QStringLiteral("Down") : downloads;
}

void LoadSettings()
{
    using namespace settingsstore;
    const QString section = QString::fromLatin1(applSet);
    AppSettings &settings = appSettings();

    settings.retryCount = readBounded(section, QStringLiteral("Retry"), 3, AppSettings::retriesMaximum);
    settings.retryDelaySeconds =
        readBounded(section, QStringLiteral("RetryTime"), 10, AppSettings::retryDelayMaximum);
    settings.emailAddress = readString(section, QStringLiteral("EMail"), placeholderEmail);
    settings.downloadFolder = readString(section, QStringLiteral("Download"), QString());
    settings.afterTransferAction = 0;
    settings.keepConnection = readSwitch(section, QStringLiteral("KeepConnect"), 1);
    settings.soundEffects = readSwitch(section, QStringLiteral("Bell"), 1);
    settings.passiveMode = readSwitch(section, QStringLiteral("Passive"), 1);
    settings.keepFileTimes = readSwitch(section, QStringLiteral("KeepFileTime"), 0);
    settings.keepAliveMinutes =
        readBounded(section, QStringLiteral("KeepTime"), 3, AppSettings::keepAliveMaximum);
    settings.asciiExtensions = readString(section, QStringLiteral("AsciiFile"), defaultAsciiExtensions);
    settings.keepPasswordsInKeyring = readSwitch(section, QString::fromLatin1(keyringPasswordsName), 0);
    settings.verifyChecksums = readSwitch(section, QStringLiteral("VerifyHash"), 1) != 0;
    const int simultaneous = readBounded(section, QStringLiteral("Simultaneous"), 2, AppSettings::simultaneousMaximum);
    settings.simultaneousTransfers = simultaneous >= 1 ? simultaneous : 2;

    // A folder that has gone since it was chosen falls back to the default for this run only; the
    // stored text stays until the user confirms the General page. A plain file of that name
    // counts as gone too: every download into it would fail.
    if (!settings.downloadFolder.isEmpty() && !QFileInfo(settings.downloadFolder).isDir())
        settings.downloadFolder.clear();
    if (settings.downloadFolder.isEmpty()) {
        settings.downloadFolder = defaultDownloadFolder();
        QDir().mkpath(settings.downloadFolder);
    }
}
