#include "shell/application.h"

#include "platform/log.h"
#include "platform/strings.h"
#include "shell/appsettings.h"

#include <QApplication>
#include <QMainWindow>
#include <QTextEdit>

int runApplication(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KALO"));
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    LoadSettings();

    QMainWindow window;
    window.setWindowTitle(loadString(128));
    auto *log = new QTextEdit(&window);
    log->setReadOnly(true);
    window.setCentralWidget(log);
    window.resize(900, 600);
    window.show();
    return app.exec();
}
