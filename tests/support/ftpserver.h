#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport
{

// The real pyftpdlib server on 127.0.0.1 and an ephemeral port, serving a fresh temporary folder
// to "anonymous" and to the user "tester" with the password "secret", both with write permission.
// Stopped by its process id when destroyed.
class FtpServer
{
public:
    FtpServer();
    ~FtpServer();
    FtpServer(const FtpServer &) = delete;
    FtpServer &operator=(const FtpServer &) = delete;

    [[nodiscard]] bool isRunning() const { return port_ != 0; }
    [[nodiscard]] quint16 port() const { return port_; }
    // The served folder, without a trailing "/".
    [[nodiscard]] QString root() const { return folder_.path(); }

    static constexpr const char *user = "tester";
    static constexpr const char *password = "secret";

private:
    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace testsupport
