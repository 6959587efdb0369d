#include "shell/workerstopwatch.h"

#include "platform/workerstop.h"

#include <QDialog>
#include <QTimer>

void rejectOnWorkerStop(QDialog *dialog)
{
    if (workerstop::requested())
        return;
    auto *watch = new QTimer(dialog);
    QObject::connect(watch, &QTimer::timeout, dialog, [dialog] {
        if (workerstop::requested())
            dialog->reject();
    });
    watch->start(100);
}
