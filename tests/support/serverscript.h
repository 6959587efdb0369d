#pragma once

#include <QString>

#include <sys/types.h>

namespace testsupport
{

// One of the tests' Python servers, running on `folder`; the server prints the port it bound on
// its first line. Ended by its process id when destroyed: politely first, then for good.
//
// Started with fork() and exec rather than QProcess: Qt 6.4 starts a child in the parent's memory
// until it execs, and under ThreadSanitizer that child's calls go through the sanitizer's hooks
// on the parent's thread state. Afterwards the sanitizer no longer sees the window thread's locks
// and reports every value it hands over under a mutex as a race. A fork is something the
// sanitizer knows.
class ServerScript
{
public:
    // `option`, when given, follows the folder on the script's command line.
    ServerScript(const QString &script, const QString &folder, const QString &option = QString());
    ~ServerScript();
    ServerScript(const ServerScript &) = delete;
    ServerScript &operator=(const ServerScript &) = delete;

    // The port the server said, or 0 when it did not start or say it in time.
    [[nodiscard]] quint16 port() const { return port_; }

private:
    [[nodiscard]] quint16 readPort(int output) const;
    [[nodiscard]] bool waitForEnd(int milliseconds);

    pid_t pid_ = -1;
    int output_ = -1;
    quint16 port_ = 0;
};

} // namespace testsupport
