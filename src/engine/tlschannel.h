#pragma once

#include "engine/tlscertificate.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

class TlsContext;
struct ssl_st;

// One TLS client stream over one connected socket. The socket is made non-blocking and every
// wait goes through the interruptible socket wait, so that a stop request of the worker ends a
// handshake, a read, a write or a close at once. The channel never closes the socket.
class TlsChannel
{
public:
    // A channel whose certificate check expects `host` (a name or an address), or null when
    // OpenSSL refuses the settings (a host name it cannot check, such as one with a NUL); `error`
    // says why.
    [[nodiscard]] static std::unique_ptr<TlsChannel> create(TlsContext &context, int socket, const QString &host,
                                                           QString &error);
    ~TlsChannel();
    TlsChannel(const TlsChannel &) = delete;
    TlsChannel &operator=(const TlsChannel &) = delete;

    // Offers the newest session of the context (before handshake).
    void resumeNewestSession(const TlsContext &context);

    // False on failure or after `limit`; error() says why.
    [[nodiscard]] bool handshake(std::chrono::milliseconds limit);

    // Up to `length` bytes: more than 0, 0 at the end of the stream (closed with close_notify
    // or cut, see cut()), -1 on a failure. `peek` leaves the bytes to be read again.
    [[nodiscard]] long read(char *buffer, std::size_t length, bool peek = false);
    // Some of the bytes (at least one), or -1.
    [[nodiscard]] long write(const char *data, std::size_t length);
    // Sends close_notify; with `awaitPeer`, also ends the socket's sending half and reads what
    // the peer still sends, up to its close_notify or end, for at most `limit`: a socket closed
    // with unread bytes is reset, and the peer may then drop data it had not read yet. True when
    // close_notify was sent.
    bool close(bool awaitPeer, std::chrono::milliseconds limit);

    // The stream ended without the peer's close_notify: what came may be cut short.
    [[nodiscard]] bool cut() const { return cut_; }
    [[nodiscard]] bool closedByPeer() const { return closedByPeer_; }
    [[nodiscard]] QString error() const { return error_; }
    [[nodiscard]] int socket() const { return socket_; }
    [[nodiscard]] ssl_st *handle() const { return ssl_; }

    // "TLSv1.3, TLS_AES_256_GCM_SHA384".
    [[nodiscard]] QString description() const;
    [[nodiscard]] bool resumed() const;
    // True when the chain verified against the trust store and the name matched.
    [[nodiscard]] bool verified() const;
    [[nodiscard]] CertificateFacts certificate() const;

private:
    TlsChannel(ssl_st *ssl, int socket);
    // Waits as OpenSSL asked after `result`; false when the call failed for good.
    [[nodiscard]] bool waitAfter(int result, std::chrono::milliseconds limit);

    ssl_st *ssl_;
    int socket_;
    bool cut_ = false;
    bool closedByPeer_ = false;
    QString error_;
};
