#pragma once

#include <QByteArray>
#include <QList>

// What the server said it supports in its FEAT reply, read once after each login. A server that
// refused FEAT, or answered with something that is no feature list, offers nothing: every command
// then takes its old road (LIST, PASV/PORT, no hash).
struct ServerFeatures {
    bool answered = false; // FEAT was answered with a feature list
    bool mlsd = false;
    bool mlst = false;
    bool utf8 = false;
    bool size = false;
    bool mdtm = false;
    bool mfmt = false;
    bool restStream = false;
    bool epsv = false;
    bool eprt = false;
    // HASH with the algorithms it lists (upper case, as "SHA-256"), and the older one-algorithm
    // commands.
    QList<QByteArray> hashAlgorithms;
    bool xsha256 = false;
    bool xsha1 = false;
    bool xmd5 = false;
    bool xcrc = false;
};
