#pragma once

#include <QByteArray>
#include <QString>

// What the user is shown of a server certificate that did not verify, and what the answer is
// remembered by: the host and port it was met on and its SHA-256 fingerprint.
struct CertificateFacts {
    QString host;
    int port = 0;
    QString subject;
    QString issuer;
    QString validFrom;
    QString validUntil;
    // Why verification failed, in OpenSSL's words.
    QString reason;
    // Upper-case hex pairs joined by colons.
    QByteArray fingerprint;
};
