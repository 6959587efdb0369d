#include "shell/helpwindow.h"

#include "platform/strings.h"
#include "platform/uitext.h"
#include "shell/programresources.h"

#include <QPointer>

HelpWindow::HelpWindow(QWidget *parent) : QTextBrowser(parent)
{
    initProgramResources();
    setObjectName(QStringLiteral("helpWindow"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(uiText("Tidewell Help"));
    setWindowIcon(programIcon());
    setOpenExternalLinks(true);
    resize(720, 600);
    setSource(pageAddress());
}

QUrl HelpWindow::pageAddress()
{
    return QUrl(currentLanguage() == Language::Korean ? QStringLiteral("qrc:/help/tidewell-help.ko.html")
                                                      : QStringLiteral("qrc:/help/tidewell-help.html"));
}

void openHelp(QWidget *parent)
{
    static QPointer<HelpWindow> window;
    if (!window)
        window = new HelpWindow(parent);
    window->show();
    window->raise();
    window->activateWindow();
}
