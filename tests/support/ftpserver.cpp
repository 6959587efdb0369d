#include "ftpserver.h"

namespace testsupport
{

FtpServer::FtpServer()
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/ftpserver.py"), folder_.path())
{
}

} // namespace testsupport
