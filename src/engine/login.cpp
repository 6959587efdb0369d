#include "engine/login.h"

#include "engine/controlconnection.h"
#include "engine/featuresreply.h"
#include "engine/hostresolver.h"
#include "engine/replylines.h"
#include "engine/tlssession.h"
#include "platform/log.h"
#include "platform/namecodec.h"

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
    if (!host)
        return {};
    const std::optional<QString> answer =
        host->callOnWindow<std::optional<QString>>([](EngineHost &h) { return h.askPassword(); });
    return answer.value_or(QString()).toUtf8();
}

int failLogin(FtpConnection &connection)
{
    connection.dataProtected = false;
    // The socket may be closed already (a broken or hostile server): close what the record holds,
    // never a number that may have been reused since.
    connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    connection.connected = false;
    return -1;
}

// AUTH TLS after the greeting. False when the connection is to end: the server refused TLS that
// the site requires, or the handshake or the certificate failed.
bool negotiateExplicitTls(FtpConnection &connection, const LoginFields &login)
{
    QByteArray reply;
    if (SendCommand(connection, "AUTH TLS", &reply) == 2 && connection.lastReplyCode == 234)
        return StartControlTls(connection, hostresolver::bareHost(login.serverHost));
    if (connection.controlSocket == -1)
        return false;
    if (login.encryption == Encryption::ExplicitRequired) {
        AppendLog(LogColor::Error, TextId::TlsRefused);
        connection.tlsRefused = true;
        return false;
    }
    AppendLog(LogColor::Error, TextId::TlsNotOffered);
    return true;
}

// PBSZ 0 and PROT P after the login. False when the data connections would go in the clear
// although the site requires TLS.
bool protectDataConnections(FtpConnection &connection, const LoginFields &login)
{
    (void)SendCommand(connection, "PBSZ 0");
    if (connection.controlSocket != -1 && SendCommand(connection, "PROT P") == 2) {
        connection.dataProtected = true;
        return true;
    }
    if (connection.controlSocket == -1)
        return false;
    if (login.encryption != Encryption::ExplicitIfOffered) {
        AppendLog(LogColor::Error, TextId::DataProtectionRefused);
        connection.tlsRefused = true;
        return false;
    }
    AppendLog(LogColor::Error, TextId::DataUnencrypted);
    return true;
}

// The facts an MLSD row is made of; the others only lengthen every line.
constexpr const char *listingFacts[] = {"type", "size", "modify", "perm", "unix.mode"};

// FEAT, and what its answer asks for: UTF-8 names, and the MLSD facts the rows are made of when
// the server does not send them all unasked.
void readServerFeatures(FtpConnection &connection, const LoginFields &login)
{
    QList<QByteArray> lines;
    {
        const ReplyLinesScope scope(connection, lines);
        (void)SendCommand(connection, "FEAT");
    }
    if (connection.controlSocket == -1)
        return;
    const FeaturesReply reply = ParseFeaturesReply(lines);
    if (reply.malformed)
        AppendLog(LogColor::Error, TextId::FeaturesUnreadable);
    connection.features = reply.features;
    // A site set to another character set keeps the server's names in that set: switched to
    // UTF-8, they would be misread.
    if (connection.features.utf8 && namecodec::readsUtf8(login.charset))
        (void)SendCommand(connection, "OPTS UTF8 ON");
    QByteArray wanted;
    bool missing = false;
    for (const char *fact : listingFacts) {
        if (!reply.mlstFacts.contains(fact))
            continue;
        wanted += QByteArray(fact) + ';';
        missing = missing || !reply.mlstSelected.contains(fact);
    }
    if (missing && connection.controlSocket != -1)
        (void)SendCommand(connection, "OPTS MLST " + wanted);
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
    // Nothing of an earlier connection's TLS may meet this one's sockets.
    connection.dataTls.reset();
    connection.controlTls.reset();
    connection.tls.reset();
    connection.dataProtected = false;
    connection.tlsRefused = false;
    connection.features = {};
    connection.extendedPassiveFailed = false;
    connection.machineListingFailed = false;

    const int socket = OpenConnection(connection, login.serverHost, login.port, "ftp", "tcp");
    if (socket == -1)
        return -1;
    connection.localControlAddress = SocketAddress::localOf(socket);
    if (connection.localControlAddress.family() == 0) {
        (void)CloseSocketAbortive(connection, socket);
        return -1;
    }

    connection.controlSocket = socket;
    connection.replyDepth = 0;
    connection.lastReplyCode = 0;
    if (login.encryption == Encryption::Implicit &&
        !StartControlTls(connection, hostresolver::bareHost(login.serverHost)))
        return failLogin(connection);
    AppendLog(LogColor::Status, TextId::WaitingForLogin);

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

    const bool explicitTls =
        login.encryption == Encryption::ExplicitIfOffered || login.encryption == Encryption::ExplicitRequired;
    if (explicitTls && !negotiateExplicitTls(connection, login))
        return failLogin(connection);

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
        if (connection.controlTls && !protectDataConnections(connection, login))
            return failLogin(connection);
        readServerFeatures(connection, login);
        if (connection.controlSocket == -1)
            return failLogin(connection);
        connection.connected = true;
        ReportEncryption(connection);
        return socket;
    }
    AppendLog(LogColor::Error, TextId::LoginFailed);
    return failLogin(connection);
}
