#include "shell/application.h"

#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "shell/mainframe.h"
#include "shell/programidentity.h"
#include "shell/startarguments.h"
#include "shell/toolbaricons.h"

#include <QApplication>

#include <cstdio>

#include <csignal>
#include <memory>

void ignoreBrokenPipes()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

int runApplication(int argc, char *argv[])
{
    ignoreBrokenPipes();

    // The settings store and the data folder are found under these names, whatever the language.
    QApplication::setOrganizationName(QStringLiteral("KALO"));
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    QApplication::setApplicationVersion(QStringLiteral(TIDEWELL_VERSION));
    QApplication app(argc, argv);
    installTranslations();

    const StartArguments start = parseStartArguments(QCoreApplication::arguments());
    if (start.exitCode) {
        std::fputs(start.output.toLocal8Bit().constData(), *start.exitCode == 0 ? stdout : stderr);
        return *start.exitCode;
    }
    // The desktop finds the program's entry, and with it the icon and the name, by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Tidewell"));
    installDesktopIcons();

    // POSIX sockets need no library start-up, so the "socket initialisation failed" message
    // (string 104) has no cause to be shown on this platform.

    programpaths::reserveListingTempFile();

    // Building the frame loads the settings before any pane exists.
    // An address on the command line (a link the desktop opened) connects instead of offering the
    // Site Manager.
    auto window = std::make_unique<CMainFrame>(nullptr, start.login);
    if (!start.error.isEmpty()) {
        std::fputs(start.error.toLocal8Bit().constData(), stderr);
        AppendLog(start.error, LogColor::Error);
    }
    window->show();
    const int result = app.exec();

    // The windows save what they own as they are destroyed; the private temporary folder goes
    // with the process.
    window.reset();
    return result;
}
