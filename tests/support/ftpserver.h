#pragma once

#include "serverscript.h"

#include <QString>
#include <QTemporaryDir>

namespace testsupport
{

// The real pyftpdlib server on 127.0.0.1 (or the loopback address given, such as "::1") and an
// ephemeral port, serving a fresh temporary folder
// to "anonymous" and to the user "tester" with the password "secret", both with write permission.
// Stopped by its process id when destroyed.
class FtpServer
{
public:
    explicit FtpServer(const QString &address = QStringLiteral("127.0.0.1"));
    // The same server with a limit on connections (tests/support/limitedftpserver.py), such as
    // "421:2" or "slow:200000".
    struct Limit {
        QString text;
    };
    explicit FtpServer(const Limit &limit);
    FtpServer(const FtpServer &) = delete;
    FtpServer &operator=(const FtpServer &) = delete;

    [[nodiscard]] bool isRunning() const { return server_.port() != 0; }
    [[nodiscard]] quint16 port() const { return server_.port(); }
    // The served folder, without a trailing "/".
    [[nodiscard]] QString root() const { return folder_.path(); }

    static constexpr const char *user = "tester";
    static constexpr const char *password = "secret";

private:
    QTemporaryDir folder_;
    ServerScript server_;
};

} // namespace testsupport
