#include "engine/controlconnection.h"

#include "engine/hostresolver.h"
#include "engine/login.h"
#include "engine/uploadprogress.h"
#include "engine/watchdog.h"
#include "platform/beep.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/strings.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"

#include <QStringDecoder>

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr int hostNameLimit = 79;
constexpr int peekSize = 82;
// A longer line is taken in pieces; long enough for a working directory of any real length.
constexpr qint64 lineLimit = replyBufferSize - 1;
constexpr size_t clearedReplyBytes = 4096;
// No server's reply is this long; a longer one is a hostile or broken server.
constexpr int maxReplyLines = 1000;
constexpr qint64 maxReplyBytes = 1 << 20;

// Log text of bytes from the wire: UTF-8 when valid, else the legacy code page of the user.
QString decodeForLog(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (currentLanguage() == Language::Korean) {
        QStringDecoder cp949("CP949");
        if (cp949.isValid())
            return cp949.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

// Receives exactly `length` bytes unless the connection ends first; returns the count received,
// or the failed receive's result when nothing came.
ssize_t receiveExactly(FtpConnection &connection, char *buffer, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ReceiveSome(connection, connection.controlSocket, buffer + done, length - done);
        if (n <= 0) {
            connection.connectionEnded = true;
            return done > 0 ? ssize_t(done) : n;
        }
        done += size_t(n);
    }
    return ssize_t(done);
}

void connectionBroke(FtpConnection &connection);

size_t firstPieceLength(const FtpConnection &connection, const char *peeked, size_t count)
{
    const char *end = peeked + count;
    const char *stop = std::find_if(peeked, end, [](char connection) { return connection == '\n' || connection == '\0'; });
    size_t length = stop == end ? count : size_t(stop - peeked) + 1;
    // EXOS servers may end a long line with a carriage return and one more byte instead of a
    // line feed: take the line up to the byte after the first carriage return.
    if (length > 80 && connection.serverKind == ServerKind::Exos) {
        const char *cr = std::find(peeked, peeked + length, '\r');
        const size_t cut = size_t(cr - peeked) + 2;
        if (cr != peeked + length && cut <= length)
            length = cut;
    }
    return length;
}

bool startsWithAny(const QByteArray &text, std::initializer_list<const char *> prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const char *p) { return text.startsWith(p); });
}

int replyResult(int code)
{
    if (code == 550)
        return 550;
    if (code >= 100 && code <= 599)
        return code / 100;
    return 0;
}

int connectSocket(int fd, const SocketAddress &address, std::chrono::milliseconds limit)
{
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int error = 0;
    if (::connect(fd, address.data(), address.length) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            // The wait may end the worker: the socket is nobody else's yet, so close it first.
            socketwait::Result ready;
            try {
                ready = socketwait::writable(fd, limit);
            } catch (const WorkerStopped &) {
                ::close(fd);
                throw;
            }
            socklen_t length = sizeof error;
            if (ready == socketwait::Result::TimedOut)
                error = ETIMEDOUT;
            else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    fcntl(fd, F_SETFL, flags);
    return error;
}

// The TLS channel over that socket, when it is encrypted.
TlsChannel *channelOf(const FtpConnection &connection, int socket)
{
    for (TlsChannel *channel : {connection.controlTls.get(), connection.dataTls.get()})
        if (channel && channel->socket() == socket)
            return channel;
    return nullptr;
}

qint64 sendBlock(FtpConnection &connection, int socket, const char *data, qint64 length,
                 std::optional<qint64> progressFrom)
{
    if (socket == -1)
        return 0;
    TlsChannel *channel = channelOf(connection, socket);
    qint64 sent = 0;
    while (sent < length) {
        // The whole rest at once: the kernel takes what its buffer holds, and smaller pieces only
        // cost calls (TLS cuts the block into records itself).
        const size_t piece = size_t(length - sent);
        ssize_t n = -1;
        if (channel) {
            workerstop::throwIfRequested();
            n = channel->write(data + sent, piece);
        }
        while (!channel) {
            workerstop::throwIfRequested();
            // MSG_NOSIGNAL: a peer that has gone away must fail the send, not kill the program.
            // The send is tried first: a wait before every piece would double an upload's calls.
            n = ::send(socket, data + sent, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (socketwait::writable(socket) != socketwait::Result::Ready)
                    break;
                continue;
            }
            break;
        }
        if (n <= 0) {
            AppendLog(LogColor::Error, TextId::SocketSendError);
            connectionBroke(connection);
            return 0;
        }
        sent += n;
        if (progressFrom && connection.uploadFileOpen)
            uploadprogress::report(*progressFrom + sent);
    }
    return length;
}

// Arms the watchdog for each receive of the worker and leaves it disarmed however the read ends.
class WatchdogScope
{
public:
    explicit WatchdogScope(bool guarded) : guarded_(guarded)
    {
        if (guarded_)
            watchdog::stop();
    }
    ~WatchdogScope() { disarm(); }
    WatchdogScope(const WatchdogScope &) = delete;
    WatchdogScope &operator=(const WatchdogScope &) = delete;
    void arm() const
    {
        if (guarded_)
            watchdog::start();
    }
    void disarm() const
    {
        if (guarded_)
            watchdog::stop();
    }

private:
    bool guarded_;
};

// Counts the lines of one reply into replyDepth and takes them out again on every way out.
class ReplyDepthScope
{
public:
    explicit ReplyDepthScope(FtpConnection &connection) : connection_(connection) {}
    ~ReplyDepthScope() { connection_.replyDepth -= lines_; }
    ReplyDepthScope(const ReplyDepthScope &) = delete;
    ReplyDepthScope &operator=(const ReplyDepthScope &) = delete;
    void enterLine() const
    {
        ++connection_.replyDepth;
        ++lines_;
    }
    int lines() const { return lines_; }

private:
    FtpConnection &connection_;
    mutable int lines_ = 0;
};

// The first line of a reply: three digits from 100 to 599, then a blank, a hyphen or nothing.
bool isReplyLine(const QByteArray &text)
{
    if (text.size() < 3 || !std::isdigit(uchar(text[0])) || !std::isdigit(uchar(text[1])) ||
        !std::isdigit(uchar(text[2])))
        return false;
    const int code = text.left(3).toInt();
    return code >= 100 && code <= 599 && (text.size() == 3 || text[3] == ' ' || text[3] == '-');
}

// The control connection is no longer usable. A session ends (ConnectionLost); before the login
// completed the login just fails, so that the retries run.
void connectionBroke(FtpConnection &connection)
{
    if (connection.connected) {
        ConnectionLost(connection);
        return;
    }
    connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
}

// The server broke the protocol: the message, then the connection goes as if it had broken.
int protocolError(FtpConnection &connection, std::optional<TextId> message)
{
    if (message)
        AppendLog(LogColor::Error, *message);
    connectionBroke(connection);
    return 0;
}

} // namespace

int OpenConnection(FtpConnection &connection, const QString &host, int requestedPort, const char *service,
                   const char *protocol)
{
    AppendLog(LogColor::Status, TextId::ConnectingTo, host.toUtf8().constData());
    const QByteArray hostName = host.toUtf8();
    if (hostName.isEmpty() || hostName.size() > hostNameLimit) {
        AppendLog(LogColor::Error, TextId::CannotConnect);
        return -1;
    }

    int port = 0;
    servent serviceEntry{};
    servent *serviceFound = nullptr;
    char serviceBuffer[1024];
    if (getservbyname_r(service, protocol, &serviceEntry, serviceBuffer, sizeof serviceBuffer,
                        &serviceFound) == 0 &&
        serviceFound) {
        port = requestedPort == 21 ? ntohs(std::uint16_t(serviceFound->s_port)) : requestedPort;
    } else {
        bool numeric = false;
        const int number = QByteArray(service).toInt(&numeric);
        if (numeric && number != 0)
            port = number;
        else if (requestedPort != 21)
            port = requestedPort;
        else if (qstricmp(service, "FTP") == 0)
            port = 21;
        else
            return -1;
    }
    // The Site Manager takes ports up to 999999 and the settings any number: cut to 16 bits,
    // such a port would quietly reach another service.
    if (port < 0 || port > 65535) {
        AppendLog(LogColor::Error, TextId::InvalidRemoteAddress);
        return -1;
    }

    std::vector<SocketAddress> addresses = hostresolver::resolve(hostresolver::bareHost(host).toUtf8());
    if (addresses.empty()) {
        AppendLog(LogColor::Error, TextId::HostNotFound);
        return -1;
    }

    int protocolNumber = 0;
    protoent protocolEntry{};
    protoent *protocolFound = nullptr;
    char protocolBuffer[1024];
    if (getprotobyname_r(protocol, &protocolEntry, protocolBuffer, sizeof protocolBuffer, &protocolFound) ==
            0 &&
        protocolFound)
        protocolNumber = protocolFound->p_proto;
    else if (qstricmp(protocol, "TCP") == 0)
        protocolNumber = IPPROTO_TCP;
    else
        return -1;
    const int type = std::strcmp(protocol, "udp") == 0 ? SOCK_DGRAM : SOCK_STREAM;

    // Each address in turn, the connect time shared among those still to try: an address that
    // does not answer must leave time for the next.
    const auto deadline = std::chrono::steady_clock::now() + durations::get(durations::Kind::Connect);
    for (size_t i = 0; i < addresses.size(); ++i) {
        SocketAddress &address = addresses[i];
        address.setPort(std::uint16_t(port));
        const bool last = i + 1 == addresses.size();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const std::chrono::milliseconds slice = std::max<std::chrono::milliseconds>(
            std::chrono::milliseconds(1), left / qint64(addresses.size() - i));

        const int fd = ::socket(address.family(), type | SOCK_CLOEXEC, protocolNumber);
        if (fd < 0) {
            if (!last)
                continue;
            AppendLog(LogColor::Error, TextId::CannotCreateSocket);
            return -1;
        }
        const int on = 1;
        if (setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) {
            ::close(fd);
            return -1;
        }
        if (const int error = connectSocket(fd, address, slice)) {
            ::close(fd);
            if (!last) {
                AppendLog(LogColor::Status, TextId::TryingNextAddress, address.text().constData());
                continue;
            }
            if (error == ECONNREFUSED)
                AppendLog(LogColor::Error, TextId::ConnectionRefused);
            else if (error == EADDRNOTAVAIL)
                AppendLog(LogColor::Error, TextId::InvalidRemoteAddress);
            else
                AppendLog(LogColor::Error, TextId::CannotConnect);
            return -1;
        }
        connection.serverAddress = address;
        AppendLog(LogColor::Status, TextId::ConnectedTo, host.toUtf8().constData(),
                  address.text().constData(), unsigned(port));
        return fd;
    }
    return -1;
}

bool breaksCommandLine(const QByteArray &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char byte) { return byte == '\r' || byte == '\n' || byte == '\0'; });
}

int SendCommand(FtpConnection &connection, const QByteArray &command, QByteArray *reply)
{
    auto &s = connection;
    s.lastReplyCode = 0;
    // The last guard, whatever the caller checked: not even the echo, which would show the
    // smuggled commands as lines of their own.
    if (breaksCommandLine(command)) {
        AppendLog(LogColor::Error, TextId::ControlCharacterRefused);
        return 0;
    }

    QByteArray echo;
    if (command.startsWith("PASS "))
        echo = "PASS xxxxxx\n";
    else if (s.trailingSlashDirs && !command.isEmpty() &&
             startsWithAny(command, {"CWD ", "XCWD ", "MKD ", "XMKD ", "RMD ", "XRMD "}))
        echo = command.chopped(1) + '\n'; // the "/" the directory commands append for Serv-U
    else
        echo = command + '\n';
    AppendLog(decodeForLog(echo), LogColor::Command);

    // The command line must fit the command buffer with its CR LF; no caller comes near that.
    if (connection.controlSocket == -1 || command.size() > qsizetype(replyBufferSize) - 2) {
        AppendLog(LogColor::Error, TextId::NotConnected);
        return 0;
    }
    // Set here and cleared only by a read that ended normally: a stop in between leaves it set.
    connection.awaitingReply = true;
    if (SendLine(connection, command) == -1)
        return 0;
    int result = ReadReply(connection, reply);
    // The server answers an abort with two replies: that of the aborted transfer and its own.
    if (command.startsWith("ABOR") && result != -1)
        result = ReadReply(connection, reply);
    connection.awaitingReply = false;
    return result;
}

int SendLine(FtpConnection &connection, const QByteArray &text)
{
    auto &buffer = connection.commandBuffer;
    const int socket = connection.controlSocket;
    if (breaksCommandLine(text)) {
        AppendLog(LogColor::Error, TextId::ControlCharacterRefused);
        return -1;
    }
    if (socket == -1 || text.size() > qsizetype(buffer.size()) - 3)
        return -1;
    std::memcpy(buffer.data(), text.constData(), size_t(text.size()));
    std::memcpy(buffer.data() + text.size(), "\r\n", 3);
    const qint64 length = text.size() + 2;
    // A command line is no part of an upload's progress.
    return sendBlock(connection, socket, buffer.data(), length, std::nullopt) == length ? int(length) : -1;
}

qint64 SendAll(FtpConnection &connection, int socket, const char *data, qint64 length, qint64 bytesDoneBefore)
{
    return sendBlock(connection, socket, data, length, std::optional<qint64>(bytesDoneBefore));
}

int ReadReplyLine(FtpConnection &connection)
{
    const int socket = connection.controlSocket;
    if (socket == -1)
        return 0;
    auto &s = connection;
    // The watchdog guards the worker, re-armed for every receive of the line, so that a server
    // that sends part of a line and then nothing is cut off in time; a read on the window thread
    // is bounded by socketwait.
    const bool guarded = workerstop::onWorker();
    const WatchdogScope watch(guarded);
    s.abortRequested = false;
    char *line = s.replyBuffer.data();
    std::memset(line, 0, clearedReplyBytes);
    s.connectionEnded = false;

    // Peek first and then take only this line off the socket: what follows it (the next reply
    // or a data burst) must stay unread.
    char peeked[peekSize];
    watch.arm();
    ssize_t last = ReceiveSome(connection, socket, peeked, sizeof peeked, MSG_PEEK);
    if (last < 0) {
        watch.disarm();
        AppendLog(LogColor::Error, TextId::ConnectionClosed);
        connectionBroke(connection);
        return -1;
    }
    if (last == 0)
        s.connectionEnded = true;

    qint64 total = 0;
    bool firstPass = true;
    while (last > 0) {
        // A line not complete within the peeked bytes is finished one byte at a time.
        const size_t want = firstPass ? firstPieceLength(connection, peeked, size_t(last)) : 1;
        firstPass = false;
        watch.arm();
        last = receiveExactly(connection, line + total, want);
        if (last > 0)
            total += last;
        line[total] = '\0';
        if (last <= 0 || line[total - 1] == '\n')
            break;
        if (total >= lineLimit)
            break;
    }
    watch.disarm();

    const char digits[4] = {line[0], line[1], line[2], '\0'};
    int code = std::atoi(digits);
    if (s.abortRequested)
        code = 421;
    size_t length = std::strlen(line);
    while (length > 2 && (line[length - 1] == '\n' || line[length - 1] == '\r' || line[length - 1] == ' '))
        line[--length] = '\0';
    return code;
}

int ReadReply(FtpConnection &connection, QByteArray *reply)
{
    if (connection.controlSocket == -1)
        return 0;
    auto &s = connection;
    // A loop, not a recursion per line: a server that sends endless continuation lines must not
    // exhaust the stack. replyDepth still counts the lines read, as the reply rules expect, and
    // comes back down however the read ends (a stop or a lost connection leave by an exception).
    const ReplyDepthScope depth(s);
    qint64 bytes = 0;
    for (;;) {
        depth.enterLine();
        const int code = ReadReplyLine(connection);
        if (code == -1)
            return -1;
        const QByteArray text = s.replyText();
        if (text.isEmpty() && s.connectionEnded) {
            // The server closed the connection: the reply will never be complete.
            AppendLog(LogColor::Error, TextId::ServerClosedConnection);
            connectionBroke(connection);
            return 0;
        }
        if (s.replyLines)
            s.replyLines->append(text);
        const bool firstLine = depth.lines() == 1;
        if (firstLine && !s.abortRequested && !isReplyLine(text)) {
            AppendLog(decodeForLog(text) + QLatin1Char('\n'), LogColor::Reply);
            return protocolError(connection, TextId::NotAnFtpReply);
        }

        bool continues = (code >= 1 && code <= 99) || code > 599 || (text.size() > 3 && text[3] == '-');
        if (!text.isEmpty()) {
            if (!s.connected)
                IdentifyServer(connection, text);
            AppendLog(decodeForLog(text) + QLatin1Char('\n'), LogColor::Reply);
        }
        if (s.abortRequested) {
            s.lastReplyCode = 421;
            continues = false;
        }
        if ((s.replyDepth == 1 || s.lastReplyCode == 0) && code >= 100 && code <= 599)
            s.lastReplyCode = code;
        const bool otherCode = s.lastReplyCode > 0 && s.replyDepth > 1 && code != s.lastReplyCode;
        if (!continues && !otherCode) {
            if (reply)
                *reply = text;
            // "421 Service not available": the server is closing the control connection.
            if (code == 421 && !s.abortRequested && text.startsWith("421") && s.connected) {
                AppendLog(LogColor::Error, TextId::ServerEndedSession);
                connectionBroke(connection);
            }
            break;
        }
        bytes += text.size() + 2;
        if (depth.lines() >= maxReplyLines || bytes >= maxReplyBytes) {
            // A reply this long is no reply: its lines would only flood the log.
            AppendLog(LogColor::Error, TextId::ReplyCut, depth.lines());
            return protocolError(connection, std::nullopt);
        }
    }
    return replyResult(s.lastReplyCode);
}

long ReceiveSome(FtpConnection &connection, int socket, char *buffer, std::size_t length, int flags)
{
    if (TlsChannel *channel = channelOf(connection, socket)) {
        workerstop::throwIfRequested();
        return channel->read(buffer, length, (flags & MSG_PEEK) != 0);
    }
    return socketwait::receive(socket, buffer, length, flags);
}

void ReadPendingReply(FtpConnection &connection)
{
    (void)ReadReply(connection);
    connection.awaitingReply = false;
}

namespace
{
int closeSocket(FtpConnection &connection, int socket, int lingerSeconds)
{
    if (socket == -1)
        return -1;
    connection.abortRequested = true;
    // The TLS stream goes with its socket, before the number can be reused.
    if (connection.controlTls && connection.controlTls->socket() == socket)
        connection.controlTls.reset();
    if (connection.dataTls && connection.dataTls->socket() == socket)
        connection.dataTls.reset();
    ::shutdown(socket, SHUT_RDWR);
    const linger lingering{1, lingerSeconds};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &lingering, sizeof lingering);
    // Linux releases the descriptor even when close reports an error; keeping the number would
    // later close whatever descriptor reused it.
    ::close(socket);
    return -1;
}
} // namespace

int CloseSocketAbortive(FtpConnection &connection, int socket)
{
    return closeSocket(connection, socket, 0);
}

int CloseSocketGraceful(FtpConnection &connection, int socket)
{
    return closeSocket(connection, socket, 1);
}

void ConnectionLost(FtpConnection &connection)
{
    auto &s = connection;
    const bool worker = workerstop::onWorker();
    if (worker)
        watchdog::stop();
    CloseLocalFiles(connection);
    s.connected = false;
    s.transferRunning = false;
    // Nothing more may go out on a connection the server has given up; the next login opens
    // a new one.
    s.controlSocket = CloseSocketAbortive(connection, s.controlSocket);
    s.abortRequested = true;
    // The session above repairs its own state (busy, keep-alive, the wait cursor).
    if (connection.host)
        connection.host->connectionLost();
    Beep();
    AppendLog(LogColor::Status, TextId::Disconnected);
    if (worker)
        throw ConnectionDropped{};
}

bool CloseLocalFiles(FtpConnection &connection)
{
    auto &s = connection;
    if (s.downloadFileOpen.exchange(false)) {
        const int fd = s.downloadFile.exchange(-1);
        if (fd >= 0)
            ::close(fd);
    }
    if (s.uploadFileOpen.exchange(false)) {
        const int fd = s.uploadFile.exchange(-1);
        if (fd >= 0)
            ::close(fd);
        return true;
    }
    return false;
}
