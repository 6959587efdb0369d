#include "shell/programresources.h"

#include <QIcon>

#include <mutex>

// Outside any namespace: the macro declares the generated function where it stands.
static void registerResources()
{
    Q_INIT_RESOURCE(tidewell);
}

void initProgramResources()
{
    static std::once_flag once;
    std::call_once(once, registerResources);
}

QIcon programIcon()
{
    initProgramResources();
    return QIcon(QStringLiteral(":/icons/org.example.Tidewell.svg"));
}
