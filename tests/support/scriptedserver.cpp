#include "scriptedserver.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace testsupport
{

namespace
{
QByteArray asLine(QByteArray text)
{
    if (!text.endsWith('\n'))
        text += "\r\n";
    return text;
}

constexpr int dataWaitMs = 10000;
} // namespace

Reply::Reply(const char *text) : bytes_(asLine(text)) {}
Reply::Reply(const QByteArray &text) : bytes_(asLine(text)) {}

Reply Reply::raw(const QByteArray &bytes)
{
    Reply reply("");
    reply.bytes_ = bytes;
    return reply;
}

Reply Reply::silent()
{
    return raw(QByteArray());
}

Reply Reply::pasv(const QByteArray &text)
{
    Reply reply(text);
    reply.kind_ = Kind::Pasv;
    return reply;
}

Reply Reply::epsv(const QByteArray &text)
{
    Reply reply(text);
    reply.kind_ = Kind::Epsv;
    return reply;
}

Reply Reply::port(const QByteArray &text)
{
    Reply reply(text);
    reply.kind_ = Kind::Port;
    return reply;
}

Reply &Reply::delay(int milliseconds)
{
    delayMs_ = milliseconds;
    return *this;
}

Reply &Reply::byteAtATime(int pauseMilliseconds)
{
    bytePauseMs_ = pauseMilliseconds;
    return *this;
}

Reply &Reply::thenClose()
{
    close_ = true;
    return *this;
}

Reply &Reply::sendData(const QByteArray &bytes)
{
    data_ = Data::Send;
    dataBytes_ = bytes;
    return *this;
}

Reply &Reply::receiveData()
{
    data_ = Data::Receive;
    return *this;
}

Reply &Reply::then(const QByteArray &text)
{
    after_ = asLine(text);
    return *this;
}

struct ScriptedServer::Impl {
    struct Rule {
        QByteArray prefix;
        Reply reply;
    };

    int listenFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    quint16 port = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    Reply greeting;
    QList<Rule> rules;
    QList<Rule> onceRules;
    QList<QByteArray> commands;
    QByteArray uploaded;
    int connections = 0;

    // Server thread only.
    int dataListenFd = -1;
    std::optional<sockaddr_in> portTarget;

    explicit Impl(Reply g) : greeting(std::move(g)) {}

    // Waits until `fd` is ready; false when the server stops or the time runs out.
    bool wait(int fd, short events, int timeoutMs = -1) const
    {
        for (;;) {
            if (stopping)
                return false;
            pollfd fds[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
            const int n = poll(fds, 2, timeoutMs);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || fds[1].revents || stopping)
                return false;
            return fds[0].revents != 0;
        }
    }

    bool sendBytes(int fd, const QByteArray &bytes, int bytePauseMs = -1) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            if (!wait(fd, POLLOUT))
                return false;
            const size_t piece = bytePauseMs >= 0 ? 1 : size_t(bytes.size() - done);
            const ssize_t n = ::send(fd, bytes.constData() + done, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                return false;
            }
            done += n;
            if (bytePauseMs > 0 && done < bytes.size())
                std::this_thread::sleep_for(std::chrono::milliseconds(bytePauseMs));
        }
        return true;
    }

    // Reads until the peer closes; what it sent before then.
    QByteArray receiveAll(int fd) const
    {
        QByteArray received;
        char buffer[65536];
        while (wait(fd, POLLIN, dataWaitMs)) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                break;
            received.append(buffer, n);
        }
        return received;
    }

    // Closes without a reset: what the client sent last is read away first.
    static void closeGently(int fd)
    {
        ::shutdown(fd, SHUT_WR);
        char buffer[4096];
        while (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        ::close(fd);
    }

    std::optional<QByteArray> readLine(int fd, QByteArray &pending) const
    {
        for (;;) {
            const qsizetype end = pending.indexOf('\n');
            if (end >= 0) {
                QByteArray line = pending.left(end);
                pending.remove(0, end + 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                return line;
            }
            if (!wait(fd, POLLIN))
                return std::nullopt;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return std::nullopt;
            pending.append(buffer, n);
        }
    }

    Reply match(const QByteArray &command)
    {
        std::lock_guard lock(mutex);
        for (qsizetype i = 0; i < onceRules.size(); ++i) {
            if (command.startsWith(onceRules[i].prefix))
                return onceRules.takeAt(i).reply;
        }
        for (qsizetype i = rules.size() - 1; i >= 0; --i) {
            if (command.startsWith(rules[i].prefix))
                return rules[i].reply;
        }
        if (command.startsWith("QUIT"))
            return Reply("221 Goodbye").thenClose();
        return Reply("500 Command not understood");
    }

    QByteArray openPassive(const QByteArray &text, bool extended = false)
    {
        if (dataListenFd >= 0)
            ::close(dataListenFd);
        dataListenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(dataListenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(dataListenFd, 1);
        getsockname(dataListenFd, reinterpret_cast<sockaddr *>(&address), &length);
        const int dataPort = ntohs(address.sin_port);
        portTarget.reset();
        QByteArray reply = text;
        reply.replace("{addr}", "127,0,0,1");
        reply.replace("{port}", extended ? QByteArray::number(dataPort)
                                         : QByteArray::number(dataPort / 256) + ',' +
                                               QByteArray::number(dataPort % 256));
        return reply;
    }

    void takePortTarget(const QByteArray &command)
    {
        const QList<QByteArray> parts = command.mid(command.indexOf(' ') + 1).trimmed().split(',');
        if (parts.size() != 6)
            return;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        const QByteArray host = parts[0] + '.' + parts[1] + '.' + parts[2] + '.' + parts[3];
        inet_pton(AF_INET, host.constData(), &address.sin_addr);
        address.sin_port = htons(std::uint16_t(parts[4].toInt() * 256 + parts[5].toInt()));
        portTarget = address;
        if (dataListenFd >= 0) {
            ::close(dataListenFd);
            dataListenFd = -1;
        }
    }

    int openDataConnection()
    {
        if (dataListenFd >= 0) {
            if (!wait(dataListenFd, POLLIN, dataWaitMs))
                return -1;
            const int fd = ::accept4(dataListenFd, nullptr, nullptr, SOCK_CLOEXEC);
            ::close(dataListenFd);
            dataListenFd = -1;
            return fd;
        }
        if (!portTarget)
            return -1;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        const sockaddr_in target = *portTarget;
        portTarget.reset();
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&target), sizeof target) != 0 &&
            (errno != EINPROGRESS || !wait(fd, POLLOUT, dataWaitMs))) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    // False when the control connection is to be closed.
    bool perform(int fd, const Reply &reply, const QByteArray &command)
    {
        QByteArray text = reply.bytes_;
        if (reply.kind_ == Reply::Kind::Pasv || reply.kind_ == Reply::Kind::Epsv)
            text = openPassive(text, reply.kind_ == Reply::Kind::Epsv);
        else if (reply.kind_ == Reply::Kind::Port)
            takePortTarget(command);
        if (reply.delayMs_ > 0 && !waitStopping(reply.delayMs_))
            return false;
        if (!sendBytes(fd, text, reply.bytePauseMs_))
            return false;
        if (reply.data_ != Reply::Data::None) {
            const int dataFd = openDataConnection();
            if (dataFd >= 0) {
                if (reply.data_ == Reply::Data::Send) {
                    sendBytes(dataFd, reply.dataBytes_);
                } else {
                    QByteArray received = receiveAll(dataFd);
                    std::lock_guard lock(mutex);
                    uploaded = std::move(received);
                }
                closeGently(dataFd);
            }
            if (!sendBytes(fd, reply.after_))
                return false;
        }
        return !reply.close_;
    }

    // Sleeps unless the server stops first.
    bool waitStopping(int milliseconds) const
    {
        pollfd wake{wakeRead, POLLIN, 0};
        return poll(&wake, 1, milliseconds) == 0 && !stopping;
    }

    void serve(int fd)
    {
        if (!perform(fd, greeting, QByteArray()))
            return;
        QByteArray pending;
        for (;;) {
            std::optional<QByteArray> line = readLine(fd, pending);
            if (!line)
                return;
            {
                std::lock_guard lock(mutex);
                commands.append(*line);
            }
            changed.notify_all();
            if (!perform(fd, match(*line), *line))
                return;
        }
    }

    void run()
    {
        while (wait(listenFd, POLLIN)) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            {
                std::lock_guard lock(mutex);
                ++connections;
            }
            changed.notify_all();
            serve(fd);
            closeGently(fd);
            if (dataListenFd >= 0) {
                ::close(dataListenFd);
                dataListenFd = -1;
            }
        }
    }
};

ScriptedServer::ScriptedServer(Reply greeting, Loopback loopback)
    : d(std::make_unique<Impl>(std::move(greeting)))
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) == 0) {
        d->wakeRead = pipeFds[0];
        d->wakeWrite = pipeFds[1];
    }
    if (loopback == Loopback::Ipv6) {
        d->listenFd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        socklen_t length = sizeof address;
        ::bind(d->listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        getsockname(d->listenFd, reinterpret_cast<sockaddr *>(&address), &length);
        d->port = ntohs(address.sin6_port);
    } else {
        d->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(d->listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        getsockname(d->listenFd, reinterpret_cast<sockaddr *>(&address), &length);
        d->port = ntohs(address.sin_port);
    }
    ::listen(d->listenFd, 4);
    d->thread = std::thread([impl = d.get()] { impl->run(); });
}

ScriptedServer::~ScriptedServer()
{
    d->stopping = true;
    const char wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(d->wakeWrite, &wake, 1);
    d->thread.join();
    ::close(d->listenFd);
    ::close(d->wakeRead);
    ::close(d->wakeWrite);
}

quint16 ScriptedServer::port() const
{
    return d->port;
}

ScriptedServer &ScriptedServer::on(const QByteArray &prefix, Reply reply)
{
    std::lock_guard lock(d->mutex);
    d->rules.append({prefix, std::move(reply)});
    return *this;
}

ScriptedServer &ScriptedServer::once(const QByteArray &prefix, Reply reply)
{
    std::lock_guard lock(d->mutex);
    d->onceRules.append({prefix, std::move(reply)});
    return *this;
}

QList<QByteArray> ScriptedServer::commands() const
{
    std::lock_guard lock(d->mutex);
    return d->commands;
}

bool ScriptedServer::waitForCommands(int count, int timeoutMs) const
{
    std::unique_lock lock(d->mutex);
    return d->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return d->commands.size() >= count; });
}

QByteArray ScriptedServer::uploaded() const
{
    std::lock_guard lock(d->mutex);
    return d->uploaded;
}

int ScriptedServer::connections() const
{
    std::lock_guard lock(d->mutex);
    return d->connections;
}

} // namespace testsupport
