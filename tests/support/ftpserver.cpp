#include "ftpserver.h"

namespace testsupport
{

FtpServer::FtpServer(const QString &address)
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/ftpserver.py"), folder_.path(), address)
{
}

} // namespace testsupport
