#include "engine/login.h"

#include "engine/controlconnection.h"
#include "platform/log.h"
#include "platform/uithread.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "platform/appsettings.h"

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
QByteArray askPassword()
{
    const std::optional<QString> answer = uithread::call<std::optional<QString>>([] {
        const auto &hook = sessionHooks().askPassword;
        return hook ? hook() : std::optional<QString>();
    });
    return answer.value_or(QString()).toUtf8();
}

int failLogin(int socket)
{
    auto &s = session();
    s.controlSocket = CloseSocketAbortive(socket);
    s.connected = false;
    return -1;
}

} // namespace

void IdentifyServer(const QByteArray &line)
{
    auto &s = session();
    if (hasMicrosoftMarker(line))
        s.serverKind = ServerKind::Microsoft;
    else if (line.contains("Serv-U"))
        s.trailingSlashDirs = true;
}

int Login(const QString &host)
{
    auto &s = session();
    s.serverKind = ServerKind::Generic;
    if (s.connected)
        return -1;

    const int socket = OpenConnection(host, "ftp", "tcp");
    if (socket == -1)
        return -1;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
        (void)CloseSocketAbortive(socket);
        return -1;
    }
    s.localControlAddress = local;

    AppendLogId(LogColor::Status, 167);
    s.controlSocket = socket;
    s.replyDepth = 0;
    s.lastReplyCode = 0;

    // Some servers send a class 1 reply ("120 ready in n minutes") before the greeting.
    int result = ReadReply(socket);
    while (result == 1 && !s.abortRequested) {
        if (s.serverKind == ServerKind::Generic && s.replyText().contains("(EXOS"))
            s.serverKind = ServerKind::Exos;
        result = ReadReply(socket);
    }
    if (result != 2)
        return failLogin(socket);

    if (s.serverKind == ServerKind::Generic) {
        const QByteArray greeting = s.replyText();
        if (greeting.contains("(EXOS"))
            s.serverKind = ServerKind::Exos;
        if (hasMicrosoftMarker(greeting))
            s.serverKind = ServerKind::Microsoft;
        else if (greeting.contains("Serv-U"))
            s.trailingSlashDirs = true;
    }

    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_OOBINLINE, &on, sizeof on);

    QByteArray user;
    QByteArray password;
    if (s.userName.isEmpty() || s.anonymousLogin) {
        user = "anonymous";
        password = appSettings().emailAddress.toUtf8();
    } else {
        user = s.userName.toUtf8();
        password = s.password.isEmpty() ? askPassword() : s.password.toUtf8();
    }

    result = SendCommand(socket, "USER " + user);
    // A class 2 answer to USER needs no password. A class 3 answer to PASS asks for an account,
    // which this program does not send: that counts as a failure.
    if (result == 3)
        result = SendCommand(socket, "PASS " + password);
    if (result == 2) {
        s.connected = true;
        return socket;
    }
    AppendLogId(LogColor::Error, 168);
    return failLogin(socket);
}
