#pragma once

#include "serverscript.h"

#include <QString>
#include <QTemporaryDir>

namespace testsupport
{

// The pyftpdlib FTP-over-TLS server on 127.0.0.1 and an ephemeral port, serving a fresh temporary
// folder to the user "tester" with the password "secret". It requires TLS on the control and the
// data connections and refuses a data connection that does not resume the control connection's
// TLS session. `certificate` names a pair in tests/data/tls ("server" is signed by ca.pem for
// 127.0.0.1). Stopped by its process id when destroyed.
class TlsFtpServer
{
public:
    enum class Mode { Explicit, Implicit };
    // `fault`: "", "cut" or "refuse-prot" (see tlsftpserver.py).
    explicit TlsFtpServer(Mode mode, const QString &certificate = QStringLiteral("server"),
                          const QString &highestVersion = QStringLiteral("1.3"), const QString &fault = QString());
    TlsFtpServer(const TlsFtpServer &) = delete;
    TlsFtpServer &operator=(const TlsFtpServer &) = delete;

    [[nodiscard]] bool isRunning() const { return server_.port() != 0; }
    [[nodiscard]] quint16 port() const { return server_.port(); }
    [[nodiscard]] QString root() const { return folder_.path(); }

    // A file of tests/data/tls.
    [[nodiscard]] static QString dataFile(const QString &name);

private:
    QTemporaryDir folder_;
    ServerScript server_;
};

} // namespace testsupport
