#include "ftpserver.h"

namespace testsupport
{

FtpServer::FtpServer(const QString &address)
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/ftpserver.py"), folder_.path(), address)
{
}

FtpServer::FtpServer(const Limit &limit)
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/limitedftpserver.py"), folder_.path(), limit.text)
{
}

} // namespace testsupport
