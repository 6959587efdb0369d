#include "platform/appsettings.h"

#include "platform/programpaths.h"
#include "platform/settingsstore.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The password of anonymous logins until the user enters an address of their own.
const QString placeholderEmail = QStringLiteral("guest@example.com");
const QString defaultAsciiExtensions = QStringLiteral("HTM,HTML,C,CPP,H,CGI,TXT,NFO,PAS");

} // namespace

AppSettings &appSettings()
{
    static AppSettings settings;
    return settings;
}

QString defaultEmailAddress() { return placeholderEmail; }

void LoadSettings()
{
    using namespace settingsstore;
    const QString section = QString::fromLatin1(applSet);
    AppSettings &settings = appSettings();

    settings.retryCount = readInt(section, QStringLiteral("Retry"), 3);
    settings.retryDelaySeconds = readInt(section, QStringLiteral("RetryTime"), 10);
    settings.emailAddress = readString(section, QStringLiteral("EMail"), placeholderEmail);
    settings.downloadFolder = readString(section, QStringLiteral("Download"), QString());
    settings.afterTransferAction = 0;
    settings.keepConnection = readInt(section, QStringLiteral("KeepConnect"), 1);
    settings.soundEffects = readInt(section, QStringLiteral("Bell"), 1);
    settings.passiveMode = readInt(section, QStringLiteral("Passive"), 1);
    settings.keepAliveMinutes = readInt(section, QStringLiteral("KeepTime"), 3);
    settings.asciiExtensions = readString(section, QStringLiteral("AsciiFile"), defaultAsciiExtensions);

    // A folder that has gone since it was chosen falls back to "Down" for this run only; the
    // stored text stays until the user confirms the General page. A plain file of that name
    // counts as gone too: every download into it would fail.
    if (!settings.downloadFolder.isEmpty() && !QFileInfo(settings.downloadFolder).isDir())
        settings.downloadFolder.clear();
    if (settings.downloadFolder.isEmpty()) {
        settings.downloadFolder = programpaths::programFolder() + QStringLiteral("Down");
        QDir().mkpath(settings.downloadFolder);
    }
}
