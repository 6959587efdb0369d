#include "engine/dataconnection.h"

#include "engine/controlconnection.h"
#include "engine/epsvreply.h"
#include "engine/passiveaddress.h"
#include "engine/tlssession.h"
#include "engine/transferloops.h"
#include "engine/watchdog.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/workerstop.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <utility>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// The most a receive buffer may hold: the larger of what the kernel grants when asked and what
// its own tuning grows a buffer to. Read once.
int receiveBufferLimit(bool &askKernel)
{
    static const std::pair<int, bool> limit = [] {
        const auto numbers = [](const char *path) {
            QFile file(QString::fromLatin1(path));
            QList<qint64> values;
            if (file.open(QIODevice::ReadOnly))
                for (const QByteArray &field : file.readAll().simplified().split(' '))
                    values.append(field.toLongLong());
            return values;
        };
        const QList<qint64> granted = numbers("/proc/sys/net/core/rmem_max");
        const QList<qint64> tuned = numbers("/proc/sys/net/ipv4/tcp_rmem");
        // The kernel doubles what it grants, for its own bookkeeping.
        const qint64 asked = granted.isEmpty() ? 0 : 2 * granted[0];
        const qint64 grown = tuned.size() == 3 ? tuned[2] : 0;
        return std::pair<int, bool>(int(std::min<qint64>(std::max(asked, grown), INT_MAX / 2)), asked > grown);
    }();
    askKernel = limit.second;
    return limit.first;
}

// A fast server fills a small receive buffer between two calls, and every call then takes only
// a little. Asking for a size turns the kernel's own growth of the buffer off, so the buffer is
// asked for only where the kernel grants more than that growth would reach. Before connect or
// listen: the window the connection announces depends on it.
void enlargeReceiveBuffer(int socket)
{
    bool askKernel = false;
    const int limit = receiveBufferLimit(askKernel);
    if (askKernel)
        (void)setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &limit, sizeof limit);
}

// A connect that a stop request interrupts and that gives up after the watchdog's time, like
// every other wait of the worker. Returns 0 or the errno of the failure.
int connectInterruptible(int socket, const SocketAddress &address)
{
    const int flags = fcntl(socket, F_GETFL);
    fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    int error = 0;
    if (::connect(socket, address.data(), address.length) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            const auto waited = socketwait::writable(socket, durations::get(durations::Kind::Watchdog));
            socklen_t length = sizeof error;
            if (waited == socketwait::Result::TimedOut)
                error = ETIMEDOUT;
            else if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    fcntl(socket, F_SETFL, flags);
    return error;
}

// EPSV where the server offers it and always over IPv6, where PASV cannot name an address; once
// refused or unusable it is not asked again on this connection. PASV after it on IPv4 while the
// server takes it; once that is refused, PORT (EPRT over IPv6) for the rest of the connection.
bool establishDataConnection(FtpConnection &connection)
{
    const bool ipv6 = SocketAddress::peerOf(connection.controlSocket).isIpv6();
    if (connection.passive && !connection.extendedPassiveFailed && (ipv6 || connection.features.epsv)) {
        QByteArray reply;
        const int result = SendCommand(connection, "EPSV", &reply);
        if (connection.controlSocket == -1)
            return false;
        if (result == 2) {
            if (const std::optional<ExtendedPassiveOffer> offer = ParseExtendedPassiveReply(reply)) {
                if (OpenExtendedPassiveDataConnection(connection, *offer))
                    return true;
                AppendLog(LogColor::Error, TextId::CannotConnectPassive);
                connection.beepIfEnabled();
                return false;
            }
            AppendLog(LogColor::Error, TextId::EpsvUnusable);
        }
        connection.extendedPassiveFailed = true;
    }
    if (connection.passive && !ipv6) {
        QByteArray reply;
        if (SendCommand(connection, "PASV", &reply) == 2) {
            if (OpenPassiveDataConnection(connection, reply))
                return true;
            AppendLog(LogColor::Error, TextId::CannotConnectPassive);
            connection.beepIfEnabled();
            return false;
        }
    }
    connection.passive = false;
    connection.listenSocket = OpenActiveListener(connection);
    if (connection.listenSocket == -1) {
        connection.beepIfEnabled();
        return false;
    }
    return true;
}

// Drops the half-made data connection after the server refused the transfer command.
void dropDataConnection(FtpConnection &connection)
{
    if (connection.passive)
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
    else
        connection.listenSocket = CloseSocketAbortive(connection, connection.listenSocket);
}

enum class Accepted { Yes, Failed, NotConfigured };

// Active mode: waits for the server to connect to our listener, no longer than the watchdog.
Accepted acceptDataConnection(FtpConnection &connection)
{
    // On the worker the watchdog ends the wait; on the window thread, which delivers the
    // watchdog itself, the wait's own limit of the same length does.
    watchdog::start();
    // A limit of its own on the worker would race the watchdog and, winning, leave the job running.
    const auto limit =
        workerstop::onWorker() ? std::chrono::milliseconds(-1) : durations::get(durations::Kind::Watchdog);
    socketwait::Result waited;
    try {
        waited = socketwait::readable(connection.listenSocket, limit);
    } catch (const WorkerStopped &) {
        // Still armed: Abort or Disconnect ended the wait. Disarmed: the watchdog did, and the
        // log says why.
        if (!watchdog::armed())
            AppendLog(LogColor::Error, TextId::DataConnectionNotOpened);
        watchdog::stop();
        throw;
    }
    watchdog::stop();
    const int data =
        waited == socketwait::Result::Ready ? ::accept4(connection.listenSocket, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (data < 0) {
        if (waited == socketwait::Result::TimedOut)
            AppendLog(LogColor::Error, TextId::DataConnectionNotOpened);
        connection.listenSocket = CloseSocketAbortive(connection, connection.listenSocket);
        connection.beepIfEnabled();
        return Accepted::Failed;
    }
    connection.dataSocket = data;
    const int on = 1;
    if (setsockopt(data, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) {
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
        connection.listenSocket = CloseSocketAbortive(connection, connection.listenSocket);
        connection.beepIfEnabled();
        return Accepted::NotConfigured;
    }
    connection.listenSocket = CloseSocketAbortive(connection, connection.listenSocket);
    return Accepted::Yes;
}

// Connects the data socket made by the caller; closes it again on a failure.
bool connectDataSocket(FtpConnection &connection, const SocketAddress &target)
{
    const int error = connectInterruptible(connection.dataSocket, target);
    if (error != 0) {
        AppendLog(LogColor::Error, error == ECONNREFUSED ? TextId::ConnectionRefused : TextId::CannotConnect);
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
        return false;
    }
    return true;
}

} // namespace

void SetTransferType(FtpConnection &connection, char type)
{
    if (type == connection.currentType)
        return;
    SendCommand(connection, type == 'L' ? QByteArray("TYPE L 8") : QByteArray("TYPE ") + type);
    // Stored whatever the server answers: a refused TYPE is not asked again on every transfer.
    connection.currentType = type;
}

bool OpenPassiveDataConnection(FtpConnection &connection, const QByteArray &reply)
{
    const int data = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (data < 0)
        return false;
    connection.dataSocket = data;
    enlargeReceiveBuffer(data);

    const std::optional<Endpoint> offered = ParsePassiveReply(reply);
    if (!offered) {
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
        return false;
    }
    const Endpoint target = PassiveTarget(*offered, SocketAddress::peerOf(connection.controlSocket).ipv4());
    if (target.address != offered->address)
        AppendLog(LogColor::Status, TextId::PassiveAddressReplaced,
                  DottedAddress(offered->address).constData(), DottedAddress(target.address).constData());

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(target.address);
    address.sin_port = htons(target.port);
    return connectDataSocket(connection, SocketAddress::fromSockaddr(
                                             reinterpret_cast<const sockaddr *>(&address), sizeof address));
}

bool OpenExtendedPassiveDataConnection(FtpConnection &connection, const ExtendedPassiveOffer &offer)
{
    // The reply names a port only: the data connection goes where the control connection goes,
    // whatever address a server writes into the reply.
    SocketAddress target = SocketAddress::peerOf(connection.controlSocket);
    if (target.family() == 0)
        return false;
    if (!offer.address.isEmpty() && offer.address != target.text())
        AppendLog(LogColor::Status, TextId::EpsvOtherAddress, offer.address.constData(),
                  target.text().constData());
    target.setPort(offer.port);
    const int data = ::socket(target.family(), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (data < 0)
        return false;
    connection.dataSocket = data;
    enlargeReceiveBuffer(data);
    return connectDataSocket(connection, target);
}

int OpenActiveListener(FtpConnection &connection)
{
    // The address is the interface the server already reaches us on, never 0.0.0.0.
    const SocketAddress local = SocketAddress::localOf(connection.controlSocket);
    if (local.family() != AF_INET && local.family() != AF_INET6)
        return -1;
    connection.localControlAddress = local;

    const int listener = ::socket(local.family(), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return -1;
    // Listening on that interface only: nobody reaches the port through another one.
    SocketAddress bound = local;
    bound.setPort(0);
    if (::bind(listener, bound.data(), bound.length) != 0) {
        ::close(listener);
        return -1;
    }
    bound = SocketAddress::localOf(listener);
    if (bound.family() == 0) {
        ::close(listener);
        return -1;
    }
    enlargeReceiveBuffer(listener); // the accepted connection inherits it
    if (::listen(listener, 1) != 0) {
        AppendLog(LogColor::Error, TextId::CannotCreateSocket);
        ::close(listener);
        return -1;
    }
    // In the record before the reply is awaited: a stop during the wait must find it to close it.
    connection.listenSocket = listener;
    if (bound.isIpv6()) {
        // PORT has no room for an IPv6 address; a server that refuses EPRT cannot connect to us.
        if (SendCommand(connection, "EPRT " + ExtendedPortArgument(bound)) != 2) {
            if (connection.controlSocket != -1)
                AppendLog(LogColor::Error, TextId::EprtRefused);
            connection.listenSocket = CloseSocketAbortive(connection, connection.listenSocket);
            return -1;
        }
        return listener;
    }
    const std::uint32_t host = bound.ipv4();
    const unsigned port = bound.port();
    const QByteArray command =
        "PORT " + QByteArray::number(host >> 24) + ',' + QByteArray::number((host >> 16) & 0xFF) + ',' +
        QByteArray::number((host >> 8) & 0xFF) + ',' + QByteArray::number(host & 0xFF) + ',' +
        QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xFF);
    SendCommand(connection, command);
    return listener;
}

int RetrieveFile(FtpConnection &connection, const QByteArray &command, const QString &localPath, char type)
{
    connection.lastReplyCode = 0;
    connection.replyDepth = 0;
    if (connection.controlSocket == -1)
        return 0;

    SetTransferType(connection, type);
    if (!establishDataConnection(connection))
        return 0;

    if (connection.resumeRequested) {
        if (SendCommand(connection, "REST " + QByteArray::number(qint64(connection.resumeOffset))) == 5) {
            AppendLog(LogColor::Error, TextId::ResumeNotSupportedUpload);
            connection.beepIfEnabled();
            connection.resumeRequested = false;
        }
    }

    if (SendCommand(connection, command) != 1) {
        dropDataConnection(connection);
        if (command.startsWith("RETR") && connection.lastReplyCode == 550)
            AppendLog(LogColor::Error, TextId::NoPermissionToDownload);
        connection.beepIfEnabled();
        return 0;
    }
    if (!connection.passive) {
        switch (acceptDataConnection(connection)) {
        case Accepted::Yes:
            break;
        case Accepted::Failed:
            return 0;
        case Accepted::NotConfigured:
            return -1;
        }
    }
    if (!StartDataTls(connection))
        return 0;

    bool writeFailed = false;
    const bool received = ReceiveToFile(connection, connection.dataSocket, localPath, type == 'I', &writeFailed);
    const bool whole = EndDataTls(connection, false);
    if (connection.dataSocket != -1)
        ::shutdown(connection.dataSocket, SHUT_RDWR);
    connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
    if (connection.listingCut) {
        // The server would go on streaming: ABOR ends its transfer, and the session goes on.
        connection.listingCut = false;
        (void)SendCommand(connection, "ABOR");
        return 0;
    }
    connection.awaitingReply = true;
    const int result = ReadReply(connection);
    connection.awaitingReply = false;
    // A file that was not created or not written whole is no completed download, whatever the
    // server says about its side.
    if (!received || writeFailed || !whole)
        return 0;
    return result;
}

int StoreFile(FtpConnection &connection, QByteArray &command, const QString &localPath, char type)
{
    connection.lastReplyCode = 0;
    if (connection.controlSocket == -1) {
        AppendLog(LogColor::Error, TextId::InvalidControlSocket);
        connection.beepIfEnabled();
        return 0;
    }

    SetTransferType(connection, type);
    if (!establishDataConnection(connection))
        return 0;

    int result = SendCommand(connection, command);
    while (result != 1) {
        if (!connection.resumeRequested) {
            dropDataConnection(connection);
            AppendLog(LogColor::Error, TextId::UploadError);
            connection.beepIfEnabled();
            return 0;
        }
        // APPE refused: the whole file goes with STOR.
        connection.resumeRequested = false;
        command.replace(0, 4, "STOR");
        AppendLog(LogColor::Error, TextId::ResumeNotSupported);
        connection.beepIfEnabled();
        result = SendCommand(connection, command);
    }
    if (!connection.passive && acceptDataConnection(connection) != Accepted::Yes)
        return 0;
    if (!StartDataTls(connection))
        return 0;

    const bool sent = SendFromFile(connection, connection.dataSocket, localPath, type == 'I') &&
                      EndDataTls(connection, true);
    if (sent) {
        // Our FIN goes after the last byte; the linger of the graceful close lets it arrive.
        ::shutdown(connection.dataSocket, SHUT_WR);
        connection.dataSocket = CloseSocketGraceful(connection, connection.dataSocket);
    } else {
        // A reset rather than an end of file: the server must not take the short file as complete.
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
    }
    connection.awaitingReply = true;
    result = ReadReply(connection);
    connection.awaitingReply = false;
    return sent ? result : 0;
}
