#include "shell/application.h"

#include "panes/logwnd.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "shell/appsettings.h"

#include <QApplication>
#include <QMainWindow>

#include <csignal>
#include <memory>

namespace {

// The main window. Building it loads the settings before any pane exists.
std::unique_ptr<QMainWindow> createMainWindow()
{
    LoadSettings();
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(loadString(128));
    window->setCentralWidget(new CLogWnd(window.get()));
    window->resize(900, 600);
    return window;
}

} // namespace

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
    QApplication app(argc, argv);

    // POSIX sockets need no library start-up, so the "socket initialisation failed" message
    // (string 104) has no cause to be shown on this platform.

    programpaths::reserveListingTempFile();

    std::unique_ptr<QMainWindow> window = createMainWindow();
    window->show();
    const int result = app.exec();

    // The windows save what they own as they are destroyed; the private temporary folder goes
    // with the process.
    window.reset();
    return result;
}
