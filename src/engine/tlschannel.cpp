#include "engine/tlschannel.h"

#include "engine/tlscontext.h"
#include "platform/socketwait.h"

#include <QDateTime>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <climits>
#include <fcntl.h>
#include <sys/socket.h>

namespace
{

using std::chrono::milliseconds;

int clampLength(std::size_t length)
{
    return int(std::min<std::size_t>(length, INT_MAX));
}

bool isAddressLiteral(const QByteArray &host)
{
    unsigned char address[16];
    return inet_pton(AF_INET, host.constData(), address) == 1 || inet_pton(AF_INET6, host.constData(), address) == 1;
}

QString nameText(const X509_NAME *name)
{
    if (!name)
        return {};
    BIO *bio = BIO_new(BIO_s_mem());
    if (!bio)
        return {};
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char *data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    QString text = QString::fromUtf8(data, length > 0 ? qsizetype(length) : 0);
    BIO_free(bio);
    return text;
}

QString timeText(const ASN1_TIME *time)
{
    tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    const QDateTime moment(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                           QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

} // namespace

std::unique_ptr<TlsChannel> TlsChannel::create(TlsContext &context, int socket, const QString &host, QString &error)
{
    ERR_clear_error();
    SSL *ssl = context.valid() ? SSL_new(context.get()) : nullptr;
    if (!ssl) {
        error = context.valid() ? openSslErrorText() : context.error();
        return nullptr;
    }
    std::unique_ptr<TlsChannel> channel(new TlsChannel(ssl, socket));
    const QByteArray name = host.toUtf8();
    X509_VERIFY_PARAM *param = SSL_get0_param(ssl);
    // OpenSSL compares the name with its length: one with a NUL is refused here, never cut at it.
    const bool literal = !name.contains('\0') && isAddressLiteral(name);
    const bool named = literal ? X509_VERIFY_PARAM_set1_ip_asc(param, name.constData()) == 1
                               : !name.isEmpty() && !name.contains('\0') &&
                                     X509_VERIFY_PARAM_set1_host(param, name.constData(), size_t(name.size())) == 1;
    if (!named || (!literal && SSL_set_tlsext_host_name(ssl, name.constData()) != 1) ||
        SSL_set_fd(ssl, socket) != 1) {
        error = named ? openSslErrorText() : QStringLiteral("host name not usable for TLS");
        ERR_clear_error();
        return nullptr;
    }
    const int flags = fcntl(socket, F_GETFL);
    if (flags < 0 || fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = QStringLiteral("socket not usable");
        return nullptr;
    }
    return channel;
}

TlsChannel::TlsChannel(ssl_st *ssl, int socket) : ssl_(ssl), socket_(socket) {}

TlsChannel::~TlsChannel()
{
    SSL_free(ssl_);
}

void TlsChannel::resumeNewestSession(const TlsContext &context)
{
    SSL_SESSION *session = context.newestSession();
    if (!session)
        return;
    // A copy: when the server sends this connection tickets of its own, OpenSSL marks the session
    // it replaces as not resumable, and the next data connection could not resume the original.
    if (SSL_SESSION *copy = SSL_SESSION_dup(session)) {
        SSL_set_session(ssl_, copy);
        SSL_SESSION_free(copy);
    }
    SSL_SESSION_free(session);
}

bool TlsChannel::waitAfter(int result, milliseconds limit)
{
    const int error = SSL_get_error(ssl_, result);
    socketwait::Result waited;
    if (error == SSL_ERROR_WANT_READ)
        waited = socketwait::readable(socket_, limit);
    else if (error == SSL_ERROR_WANT_WRITE)
        waited = socketwait::writable(socket_, limit);
    else {
        if (error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) ||
            ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
            error_ = QStringLiteral("connection closed");
            ERR_clear_error();
        } else {
            error_ = openSslErrorText();
        }
        return false;
    }
    if (waited == socketwait::Result::Ready)
        return true;
    error_ = waited == socketwait::Result::TimedOut ? QStringLiteral("timed out") : QStringLiteral("wait failed");
    return false;
}

bool TlsChannel::handshake(milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(ssl_);
        if (result == 1)
            return true;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error_ = QStringLiteral("timed out");
            return false;
        }
        if (!waitAfter(result, left))
            return false;
    }
}

long TlsChannel::read(char *buffer, std::size_t length, bool peek)
{
    for (;;) {
        ERR_clear_error();
        const int n = peek ? SSL_peek(ssl_, buffer, clampLength(length)) : SSL_read(ssl_, buffer, clampLength(length));
        if (n > 0)
            return n;
        const int error = SSL_get_error(ssl_, n);
        if (error == SSL_ERROR_ZERO_RETURN) {
            closedByPeer_ = true;
            return 0;
        }
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            if (!waitAfter(n, milliseconds(-1)))
                return -1;
            continue;
        }
        const unsigned long code = ERR_peek_error();
        if ((error == SSL_ERROR_SYSCALL && code == 0) || ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
            // The socket ended without close_notify: whoever counts on the bytes must know.
            ERR_clear_error();
            cut_ = true;
            return 0;
        }
        error_ = openSslErrorText();
        return -1;
    }
}

long TlsChannel::write(const char *data, std::size_t length)
{
    for (;;) {
        ERR_clear_error();
        const int n = SSL_write(ssl_, data, clampLength(length));
        if (n > 0)
            return n;
        if (!waitAfter(n, milliseconds(-1)))
            return -1;
    }
}

bool TlsChannel::close(bool awaitPeer, milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto left = [&deadline] {
        return std::max(milliseconds(0),
                        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now()));
    };
    for (;;) {
        ERR_clear_error();
        const int result = SSL_shutdown(ssl_);
        if (result == 1)
            return true;
        if (result == 0)
            break;
        if (left().count() == 0 || !waitAfter(result, left()))
            return false;
    }
    if (!awaitPeer)
        return true;
    // The end of our data for a peer that waits for it rather than for close_notify.
    ::shutdown(socket_, SHUT_WR);
    char sink[4096];
    for (;;) {
        ERR_clear_error();
        const int n = SSL_read(ssl_, sink, sizeof sink);
        if (n > 0)
            continue;
        if (SSL_get_error(ssl_, n) != SSL_ERROR_WANT_READ || left().count() == 0 ||
            socketwait::readable(socket_, left()) != socketwait::Result::Ready) {
            ERR_clear_error();
            return true;
        }
    }
}

QString TlsChannel::description() const
{
    return QString::fromLatin1(SSL_get_version(ssl_)) + QStringLiteral(", ") +
           QString::fromLatin1(SSL_get_cipher_name(ssl_));
}

bool TlsChannel::resumed() const
{
    return SSL_session_reused(ssl_) == 1;
}

bool TlsChannel::verified() const
{
    X509 *peer = SSL_get0_peer_certificate(ssl_);
    return peer && SSL_get_verify_result(ssl_) == X509_V_OK;
}

CertificateFacts TlsChannel::certificate() const
{
    CertificateFacts facts;
    X509 *peer = SSL_get0_peer_certificate(ssl_);
    if (!peer) {
        facts.reason = QStringLiteral("no certificate");
        return facts;
    }
    facts.subject = nameText(X509_get_subject_name(peer));
    facts.issuer = nameText(X509_get_issuer_name(peer));
    facts.validFrom = timeText(X509_get0_notBefore(peer));
    facts.validUntil = timeText(X509_get0_notAfter(peer));
    const long result = SSL_get_verify_result(ssl_);
    if (result != X509_V_OK)
        facts.reason = QString::fromLatin1(X509_verify_cert_error_string(result));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(peer, EVP_sha256(), digest, &length) == 1)
        facts.fingerprint = QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper();
    return facts;
}
