#pragma once

#include <QString>

#include <mutex>

struct ssl_ctx_st;
struct ssl_st;
struct ssl_session_st;

// The oldest error OpenSSL queued on this thread, as text; the queue is emptied.
[[nodiscard]] QString openSslErrorText();

// The TLS settings of one FTP connection (TLS 1.2 at least, the system's trust store) and the
// newest session its control connection was given: the data connections resume that session,
// which servers that insist on resumption check. A TLS 1.3 server may send its ticket any time
// after the handshake (often with its first reply), so the newest one is taken at each use.
class TlsContext
{
public:
    TlsContext();
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    // False when OpenSSL could not make the context; error() says why.
    [[nodiscard]] bool valid() const { return context_ != nullptr; }
    [[nodiscard]] QString error() const { return error_; }
    [[nodiscard]] ssl_ctx_st *get() const { return context_; }

    // Sessions are kept only from this connection (the control connection).
    void setSessionSource(const ssl_st *ssl);
    // The newest session with a reference the caller frees (SSL_SESSION_free), or null.
    [[nodiscard]] ssl_session_st *newestSession() const;

private:
    static int onNewSession(ssl_st *ssl, ssl_session_st *session);

    ssl_ctx_st *context_ = nullptr;
    QString error_;
    mutable std::mutex mutex_;
    const ssl_st *source_ = nullptr;
    ssl_session_st *newest_ = nullptr;
};
