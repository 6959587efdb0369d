#include "tlsftpserver.h"

namespace testsupport
{
namespace
{

// The script's settings travel in its environment: the server script takes only its folder.
QString scriptWith(TlsFtpServer::Mode mode, const QString &certificate, const QString &highestVersion,
                   const QString &fault)
{
    qputenv("TIDEWELL_TLS_FAULT", fault.toLatin1());
    qputenv("TIDEWELL_TLS_MODE", mode == TlsFtpServer::Mode::Implicit ? "implicit" : "explicit");
    qputenv("TIDEWELL_TLS_CERTIFICATE", TlsFtpServer::dataFile(certificate).toLocal8Bit());
    qputenv("TIDEWELL_TLS_VERSION", highestVersion.toLatin1());
    return QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/tlsftpserver.py");
}

} // namespace

TlsFtpServer::TlsFtpServer(Mode mode, const QString &certificate, const QString &highestVersion,
                           const QString &fault)
    : server_(scriptWith(mode, certificate, highestVersion, fault), folder_.path())
{
}

QString TlsFtpServer::dataFile(const QString &name)
{
    return QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/data/tls/") + name;
}

} // namespace testsupport
