#include "serverscript.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

namespace
{

constexpr int startMs = 15000;
constexpr int endMs = 5000;

} // namespace

ServerScript::ServerScript(const QString &script, const QString &folder, const QString &option)
{
    // Everything the child needs is made before the fork: between fork and exec a child of a
    // threaded process may only make calls that take no locks.
    const QByteArray python = QByteArrayLiteral("/usr/bin/python3");
    const QByteArray scriptPath = script.toLocal8Bit();
    const QByteArray folderPath = folder.toLocal8Bit();
    const QByteArray optionText = option.toLocal8Bit();
    char *const argv[] = {const_cast<char *>(python.constData()), const_cast<char *>(scriptPath.constData()),
                          const_cast<char *>(folderPath.constData()),
                          option.isEmpty() ? nullptr : const_cast<char *>(optionText.constData()), nullptr};
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return;
    const pid_t parent = ::getpid();
    pid_t pid = ::fork();
    if (pid == 0) {
        // A test that dies (a sanitizer's report ends it at once) takes its server along: an
        // orphan would hold the test's output open and keep ctest waiting.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::dup2(output[1], STDOUT_FILENO); // dup2 clears close-on-exec on the copy
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    ::close(output[1]);
    // The read end stays open while the server runs: a server that writes more to its output
    // must not meet a closed pipe.
    output_ = output[0];
    pid_ = pid;
    if (pid_ > 0)
        port_ = readPort(output_);
}

ServerScript::~ServerScript()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (!waitForEnd(endMs)) {
            ::kill(pid_, SIGKILL);
            (void)waitForEnd(endMs);
        }
    }
    if (output_ >= 0)
        ::close(output_);
}

quint16 ServerScript::readPort(int output) const
{
    QDeadlineTimer deadline(startMs);
    QByteArray line;
    while (!line.contains('\n') && line.size() < 64 && !deadline.hasExpired()) {
        pollfd ready{output, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char bytes[64];
        const ssize_t got = ::read(output, bytes, sizeof bytes);
        if (got <= 0)
            break;
        line.append(bytes, got);
    }
    bool ok = false;
    const int number = line.trimmed().toInt(&ok);
    return ok && number > 0 && number < 65536 ? quint16(number) : 0;
}

bool ServerScript::waitForEnd(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    do {
        const pid_t ended = ::waitpid(pid_, nullptr, WNOHANG);
        if (ended == pid_ || (ended < 0 && errno != EINTR))
            return true;
        QThread::msleep(10);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace testsupport
