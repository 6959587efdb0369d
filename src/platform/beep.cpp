#include "platform/beep.h"

#include "platform/uithread.h"
#include "shell/appsettings.h"

#include <QApplication>

void Beep()
{
    uithread::post([] {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
    });
}

void BeepIfEnabled()
{
    if (appSettings().soundEffects)
        Beep();
}
