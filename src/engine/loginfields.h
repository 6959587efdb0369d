#pragma once

#include <QByteArray>
#include <QString>

// How the control and data connections are protected: not at all, TLS asked for with AUTH TLS
// (going on in the clear when the server refuses it, or ending the connection), or TLS from the
// first byte.
enum class Encryption { Plain, ExplicitIfOffered, ExplicitRequired, Implicit };

// What a login needs to know: the server, the account and the folders to start in. The Site
// Manager fills it, the last session's is stored, and the session keeps the one in use.
struct LoginFields {
    QString serverHost;
    QString userName;
    QString password;
    int port = 21;
    QString initialRemotePath;
    QString initialLocalPath;
    bool anonymousLogin = false;
    bool relativePaths = false;
    // Sites choose ExplicitIfOffered unless the user chose otherwise.
    Encryption encryption = Encryption::Plain;
    // The character set of the server's names; empty for automatic.
    QByteArray charset;

    bool operator==(const LoginFields &) const = default;
};
