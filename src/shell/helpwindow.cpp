#include "shell/helpwindow.h"

#include "platform/strings.h"
#include "platform/uitext.h"
#include "shell/programresources.h"

#include <QKeySequence>
#include <QPointer>
#include <QShortcut>

HelpWindow::HelpWindow(QWidget *parent) : QTextBrowser(parent)
{
    initProgramResources();
    setObjectName(QStringLiteral("helpWindow"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(UiText::tr("Tidewell Help"));
    setWindowIcon(programIcon());
    setOpenExternalLinks(true);
    resize(720, 600);
    setSource(pageAddress());
    // A window of reading only: the keys that close such windows close it.
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        new QShortcut(keys, this, this, &QWidget::close);
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
