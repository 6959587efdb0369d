#include "shell/application.h"

#include "shell/mainframe.h"

#include <QApplication>

int runApplication(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KALO"));
    QApplication::setApplicationName(QStringLiteral("Tidewell"));

    CMainFrame frame;
    frame.show();
    return app.exec();
}
