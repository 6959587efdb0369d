#include "shell/appsettings.h"

AppSettings &appSettings()
{
    static AppSettings settings;
    return settings;
}

void LoadSettings()
{
}
