#include "engine/ftpconnection.h"

#include "engine/transfertexts.h"
#include "platform/beep.h"

#include <cstring>

FtpConnection::FtpConnection()
    : progressPost([this](const TransferProgress &value) {
          if (!host)
              return;
          const QString text = ProgressText(value.done, value.total);
          host->progressText(text);
          if (value.inTitle)
              host->windowTitle(text);
      }),
      ratePost([this](const QString &text) {
          if (host)
              host->rateText(text);
      })
{
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
