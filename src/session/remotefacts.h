#pragma once

#include <QByteArray>

// What a server said about one fact of a file (its modified time, its hash): nothing when it
// refused or does not offer it, garbled when it answered with something that cannot be read.
struct RemoteFact {
    enum class Status { Refused, Garbled, Known };
    Status status = Status::Refused;
    QByteArray value; // the fact, when known
    QByteArray reply; // the reply line, for the log
};

// A piece of a remote file, read from an offset and cut off after a length.
struct RemotePiece {
    enum class Status {
        Read,   // `bytes` is what came, fewer than asked when the file (or the server) ended sooner
        Refused // the server would not start there, or not send the file at all
    };
    Status status = Status::Refused;
    QByteArray bytes;
};
