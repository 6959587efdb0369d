#include "ftpserver.h"

namespace testsupport
{

FtpServer::FtpServer()
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/ftpserver.py"), folder_.path())
{
}

FtpServer::FtpServer(const QString &limit)
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/limitedftpserver.py"), folder_.path(), limit)
{
}

} // namespace testsupport
