#include "engine/ftpconnection.h"

#include "platform/beep.h"

#include <cstring>

QByteArray FtpConnection::replyText() const
{
    return QByteArray(replyBuffer.data(), int(strnlen(replyBuffer.data(), replyBuffer.size())));
}

void FtpConnection::beepIfEnabled() const
{
    if (options.bell)
        Beep();
}
