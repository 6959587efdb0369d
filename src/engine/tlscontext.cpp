#include "engine/tlscontext.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

QString openSslErrorText()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return QStringLiteral("unknown error");
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

TlsContext::TlsContext()
{
    ERR_clear_error();
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) {
        error_ = openSslErrorText();
        return;
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    // The chain is checked after the handshake, so that a failure can be put to the user
    // before anything is sent; the result of the check is read from the connection.
    SSL_CTX_set_verify(context_, SSL_VERIFY_NONE, nullptr);
    if (SSL_CTX_set_default_verify_paths(context_) != 1)
        ERR_clear_error(); // no system store: every certificate is put to the user
    SSL_CTX_set_mode(context_, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_session_cache_mode(context_, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_set_app_data(context_, this);
    SSL_CTX_sess_set_new_cb(context_, &TlsContext::onNewSession);
}

TlsContext::~TlsContext()
{
    if (newest_)
        SSL_SESSION_free(newest_);
    if (context_)
        SSL_CTX_free(context_);
}

void TlsContext::setSessionSource(const ssl_st *ssl)
{
    std::lock_guard lock(mutex_);
    source_ = ssl;
}

SSL_SESSION *TlsContext::newestSession() const
{
    std::lock_guard lock(mutex_);
    if (newest_)
        SSL_SESSION_up_ref(newest_);
    return newest_;
}

int TlsContext::onNewSession(SSL *ssl, SSL_SESSION *session)
{
    auto *self = static_cast<TlsContext *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    if (!self)
        return 0;
    std::lock_guard lock(self->mutex_);
    if (ssl != self->source_)
        return 0;
    if (self->newest_)
        SSL_SESSION_free(self->newest_);
    // Returning 1 keeps the reference OpenSSL passed.
    self->newest_ = session;
    return 1;
}
