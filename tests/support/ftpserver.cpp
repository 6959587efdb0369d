#include "ftpserver.h"

#include "scriptprocess.h"

namespace testsupport
{

FtpServer::FtpServer()
{
    port_ = startServerScript(process_, QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/ftpserver.py"),
                              folder_.path());
}

FtpServer::~FtpServer()
{
    endServerScript(process_);
}

} // namespace testsupport
