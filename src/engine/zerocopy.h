#pragma once

#include "engine/ftpconnection.h"

#include <QtGlobal>

#include <functional>

// The kernel's own copy paths for binary transfers: sendfile from the file to the data socket,
// splice from the socket through a pipe into the file. The bytes never pass through the program,
// which saves a copy and most of the calls. Each path hands over to the byte loop wherever the
// kernel refuses (a file system without splice, a socket type without sendfile) and leaves the
// data connection and the file positioned where that loop carries on. Worker thread.

// True when a transfer of this type may take the kernel paths on this connection: binary files
// only (type A rewrites line ends, a listing is counted line by line), and not when the options
// turn them off.
[[nodiscard]] bool canUseZeroCopy(const FtpConnection &connection, char type);
// canUseZeroCopy for an upload on this data socket: not to a server on this machine (a loopback
// address) while the options say so.
[[nodiscard]] bool canSendWithoutCopy(const FtpConnection &connection, char type, int dataSocket);

namespace zerocopy
{

// write() until all went, across partial writes; false with errno set (ENOSPC for a write that
// took nothing). The byte loop writes through it as well.
[[nodiscard]] bool writeAll(int fd, const char *data, qint64 length);

// Told the bytes each step moved.
using Progress = std::function<void(qint64 moved)>;

struct Sent {
    // The file's end was reached and every byte before it went out. When false the byte loop
    // goes on from the file's current position: it reports a failure the way it always does.
    bool reachedEnd = false;
};

// Sends the file from its current position to its end.
[[nodiscard]] Sent sendFile(int socket, int file, const Progress &progress);

struct Received {
    // The kernel refused a step before the data ended: the byte loop goes on. Every byte taken
    // off the socket is in the file by then.
    bool handOver = false;
    // What the last receive returned, as recv: 0 when the server closed the data connection,
    // -1 when it broke.
    long last = 0;
    // errno of the write that failed (a full disk), else 0; bytes after it were dropped.
    int writeError = 0;
};

// Receives into the file at its current position until the server closes the data connection,
// the connection breaks, the file stops taking bytes or an abort is requested.
[[nodiscard]] Received receiveFile(FtpConnection &connection, int socket, int file, const Progress &progress);

} // namespace zerocopy
