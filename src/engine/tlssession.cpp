#include "engine/tlssession.h"

#include "engine/controlconnection.h"
#include "platform/durations.h"
#include "platform/log.h"

#include <arpa/inet.h>
#include <csignal>
#include <mutex>

namespace
{

using std::chrono::milliseconds;

// A close_notify is a courtesy: a peer that does not take it within this time is not waited for.
constexpr milliseconds closeLimit(2000);

milliseconds handshakeLimit()
{
    return durations::get(durations::Kind::Watchdog);
}

// OpenSSL writes to the socket with plain send(): a peer gone away would raise SIGPIPE, which
// must fail the write instead of ending the program.
void ignoreBrokenPipe()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

std::unique_ptr<TlsChannel> handshakeOn(FtpConnection &connection, int socket, bool resume, TextId failure)
{
    QString error;
    std::unique_ptr<TlsChannel> channel = TlsChannel::create(*connection.tls, socket, connection.tlsHost, error);
    if (!channel) {
        AppendLog(LogColor::Error, failure, error.toUtf8().constData());
        return nullptr;
    }
    if (resume)
        channel->resumeNewestSession(*connection.tls);
    else
        connection.tls->setSessionSource(channel->handle()); // a TLS 1.2 session comes with the handshake
    if (!channel->handshake(handshakeLimit())) {
        AppendLog(LogColor::Error, failure, channel->error().toUtf8().constData());
        return nullptr;
    }
    return channel;
}

bool userTrusts(FtpConnection &connection, const CertificateFacts &facts)
{
    EngineHost *host = connection.host;
    return host && host->callOnWindow<bool>([facts](EngineHost &h) { return h.acceptCertificate(facts); });
}

} // namespace

bool StartControlTls(FtpConnection &connection, const QString &host)
{
    ignoreBrokenPipe();
    connection.tls = std::make_unique<TlsContext>();
    connection.tlsHost = host;
    connection.tlsFingerprint.clear();
    std::unique_ptr<TlsChannel> channel =
        handshakeOn(connection, connection.controlSocket, false, TextId::TlsHandshakeFailed);
    if (!channel)
        return false;

    CertificateFacts facts = channel->certificate();
    if (!channel->verified()) {
        facts.host = host;
        facts.port = connection.serverAddress.port();
        AppendLog(LogColor::Error, TextId::CertificateNotVerified, facts.reason.toUtf8().constData());
        if (facts.fingerprint.isEmpty() || !userTrusts(connection, facts)) {
            AppendLog(LogColor::Error, TextId::CertificateRefused);
            connection.tlsRefused = true;
            return false;
        }
        AppendLog(LogColor::Status, TextId::CertificateTrusted, facts.fingerprint.constData());
    }
    connection.tlsFingerprint = facts.fingerprint;
    AppendLog(LogColor::Status, TextId::TlsConnection, channel->description().toUtf8().constData());
    connection.controlTls = std::move(channel);
    return true;
}

bool StartDataTls(FtpConnection &connection)
{
    if (!connection.dataProtected || !connection.tls || connection.dataSocket == -1)
        return true;
    std::unique_ptr<TlsChannel> channel =
        handshakeOn(connection, connection.dataSocket, true, TextId::DataTlsFailed);
    if (channel && channel->certificate().fingerprint != connection.tlsFingerprint) {
        // Whoever answers on the data port must be the server the user accepted.
        AppendLog(LogColor::Error, TextId::DataCertificateDiffers);
        channel.reset();
    }
    if (!channel) {
        connection.dataSocket = CloseSocketAbortive(connection, connection.dataSocket);
        connection.awaitingReply = true;
        ReadPendingReply(connection);
        connection.beepIfEnabled();
        return false;
    }
    if (!channel->resumed())
        AppendLog(LogColor::Status, TextId::DataTlsNotResumed);
    connection.dataTls = std::move(channel);
    return true;
}

bool EndDataTls(FtpConnection &connection, bool upload)
{
    TlsChannel *channel = connection.dataTls.get();
    if (!channel)
        return true;
    if (upload)
        return channel->close(true, closeLimit);
    // Without the server's close_notify the end of the stream may be an attacker's or a broken
    // link's: only a stream that brought the whole listed size is taken as complete.
    const bool ended = channel->closedByPeer() || connection.listingCut || connection.abortRequested;
    if (!ended && !(connection.transferTotalSize > 0 && connection.transferDone >= connection.transferTotalSize)) {
        AppendLog(LogColor::Error, TextId::DataTlsCut);
        return false;
    }
    (void)channel->close(false, closeLimit);
    return true;
}

void ReportEncryption(const FtpConnection &connection)
{
    const bool control = connection.controlTls != nullptr;
    const bool data = control && connection.dataProtected;
    if (EngineHost *host = connection.host)
        host->postToWindow([control, data](EngineHost &h) { h.encryptionChanged(control, data); });
}
