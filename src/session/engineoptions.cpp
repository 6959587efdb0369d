#include "session/engineoptions.h"

#include "platform/appsettings.h"

EngineOptions engineOptions()
{
    const AppSettings &settings = appSettings();
    EngineOptions options;
    options.anonymousPassword = settings.emailAddress.toUtf8();
    options.asciiExtensions = settings.asciiExtensions;
    options.bell = settings.soundEffects != 0;
    return options;
}
