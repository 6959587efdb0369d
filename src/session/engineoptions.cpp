#include "session/engineoptions.h"

#include "platform/appsettings.h"

EngineOptions engineOptions(const AppSettings &settings)
{
    EngineOptions options;
    options.anonymousPassword = settings.emailAddress.toUtf8();
    options.asciiExtensions = settings.asciiExtensions;
    options.bell = settings.soundEffects != 0;
    options.keepFileTimes = settings.keepFileTimes != 0;
    return options;
}

JobOptions jobOptions(const AppSettings &settings)
{
    JobOptions options;
    options.transferMode = settings.transferMode;
    options.afterTransfer = AfterTransferAction(settings.afterTransferAction.load());
    options.passive = settings.passiveMode != 0;
    options.retryCount = settings.retryCount;
    options.retryDelaySeconds = settings.retryDelaySeconds;
    options.verifyChecksums = settings.verifyChecksums;
    options.simultaneousTransfers = settings.simultaneousTransfers;
    return options;
}
