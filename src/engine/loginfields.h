#pragma once

#include <QString>

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

    bool operator==(const LoginFields &) const = default;
};
