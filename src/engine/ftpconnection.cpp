#include "engine/ftpconnection.h"

#include "engine/transfertexts.h"
#include "platform/beep.h"

#include <cstring>

FtpConnection::FtpConnection()
    : progressPost([this](const TransferProgress &value) {
          if (host)
              host->transferProgress(value);
      }),
      ratePost([this](const QString &text) {
          if (host)
              host->rateText(text);
      })
{
}

void EngineHost::transferProgress(const TransferProgress &progress)
{
    const QString text = ProgressText(progress.done, progress.total);
    progressText(text);
    if (progress.inTitle)
        windowTitle(text);
}

QByteArray FtpConnection::replyText() const
{
    return QByteArray(replyBuffer.data(), int(strnlen(replyBuffer.data(), replyBuffer.size())));
}

void FtpConnection::beepIfEnabled() const
{
    if (options.bell)
        Beep();
}
