#include "engine/login.h"

#include "engine/controlconnection.h"
#include "platform/log.h"
#include "platform/uithread.h"

#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>

namespace
{

bool hasMicrosoftMarker(const QByteArray &line)
{
    return line.contains("Microsoft FTP") || line.contains("WindowsNT");
}

// The typed password, asked each time and never stored; empty when the question was cancelled.
QByteArray askPassword(EngineHost *host)
{
    const std::optional<QString> answer = uithread::call<std::optional<QString>>(
        [host] { return host ? host->askPassword() : std::optional<QString>(); });
    return answer.value_or(QString()).toUtf8();
}

int failLogin(FtpConnection &connection)
{
    // The socket may be closed already (a broken or hostile server): close what the record holds,
    // never a number that may have been reused since.
    connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    connection.connected = false;
    return -1;
}

} // namespace

void IdentifyServer(FtpConnection &connection, const QByteArray &line)
{
    if (hasMicrosoftMarker(line))
        connection.serverKind = ServerKind::Microsoft;
    else if (line.contains("Serv-U"))
        connection.trailingSlashDirs = true;
}

int Login(FtpConnection &connection, const LoginFields &login)
{
    connection.serverKind = ServerKind::Generic;
    if (connection.connected)
        return -1;

    const int socket = OpenConnection(connection, login.serverHost, login.port, "ftp", "tcp");
    if (socket == -1)
        return -1;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
        (void)CloseSocketAbortive(connection, socket);
        return -1;
    }
    connection.localControlAddress = local;

    AppendLog(LogColor::Status, TextId::WaitingForLogin);
    connection.controlSocket = socket;
    connection.replyDepth = 0;
    connection.lastReplyCode = 0;

    // Some servers send a class 1 reply ("120 ready in n minutes") before the greeting.
    QByteArray greeting;
    int result = ReadReply(connection, &greeting);
    while (result == 1 && !connection.abortRequested) {
        if (connection.serverKind == ServerKind::Generic && greeting.contains("(EXOS"))
            connection.serverKind = ServerKind::Exos;
        result = ReadReply(connection, &greeting);
    }
    if (result != 2)
        return failLogin(connection);

    // The Microsoft and Serv-U markers of the greeting were seen by IdentifyServer as its lines came
    // in, and a Microsoft kind is never Generic here: only EXOS is left to the greeting's last line.
    if (connection.serverKind == ServerKind::Generic && greeting.contains("(EXOS"))
        connection.serverKind = ServerKind::Exos;

    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_OOBINLINE, &on, sizeof on);

    QByteArray user;
    QByteArray password;
    if (login.userName.isEmpty() || login.anonymousLogin) {
        user = "anonymous";
        password = connection.options.anonymousPassword;
    } else {
        user = login.userName.toUtf8();
        password = login.password.isEmpty() ? askPassword(connection.host) : login.password.toUtf8();
    }

    result = SendCommand(connection, "USER " + user);
    // A class 2 answer to USER needs no password. A class 3 answer to PASS asks for an account,
    // which this program does not send: that counts as a failure.
    if (result == 3)
        result = SendCommand(connection, "PASS " + password);
    if (result == 2) {
        connection.connected = true;
        return socket;
    }
    AppendLog(LogColor::Error, TextId::LoginFailed);
    return failLogin(connection);
}
