#pragma once

#include "engine/ftpconnection.h"
#include "platform/workerstop.h"

#include <QByteArray>
#include <QString>

// The control connection: opening it, sending command lines, reading and classifying replies,
// closing sockets. Every other part of the engine talks to the server through these.
//
// Results follow the engine's convention: the reply class 1..5 of the last reply (550 as 550
// itself), 0 when no reply was read or nothing was done, -1 for a failed socket operation.

// Resolves `host`, connects and returns the socket, or -1. The engine passes "ftp" and "tcp"; `port`
// 21 means the service's own port.
[[nodiscard]] int OpenConnection(FtpConnection &connection, const QString &host, int port, const char *service,
                                 const char *protocol);

// CR, LF or NUL in a command line would end it early and send the rest as commands of their own.
[[nodiscard]] bool breaksCommandLine(const QByteArray &text);

// Logs the command in green ("PASS xxxxxx" for a password), sends it with CR LF and reads the
// reply; ABOR reads two replies. The text is sent as it stands: a "%" in a path is no format.
// A line that breaksCommandLine is not sent: it is refused in red and the result is 0.
// The reply's last line goes to `reply` when given.
int SendCommand(FtpConnection &connection, const QByteArray &command, QByteArray *reply = nullptr);

// Copies the text into the command buffer, appends CR LF and sends it; returns the bytes sent, or
// -1 when the socket is -1, the text breaksCommandLine (refused in red) or the send failed.
int SendLine(FtpConnection &connection, const QByteArray &text);

// Sends a whole block, in as many sends as the socket's buffer needs; while an upload runs, reports
// progress after each, counting on from `bytesDoneBefore`. Returns the length, or 0 after a failure.
qint64 SendAll(FtpConnection &connection, int socket, const char *data, qint64 length, qint64 bytesDoneBefore);

// One receive from the control or the data socket, through TLS when that connection is encrypted,
// waiting only through the interruptible wait. Returns as recv does: 0 at the end of the stream,
// -1 on a failure. MSG_PEEK leaves the bytes to be received again.
long ReceiveSome(FtpConnection &connection, int socket, char *buffer, std::size_t length, int flags = 0);

// One reply line into the reply buffer; returns its code (0 without digits, 421 when an abort
// came in meanwhile, -1 when the receive failed).
int ReadReplyLine(FtpConnection &connection);

// One complete reply, multi-line replies included. 0 also when the server closed the connection
// before the reply was complete. The reply's last line goes to `reply` when given.
int ReadReply(FtpConnection &connection, QByteArray *reply = nullptr);

// Reads the reply that follows a closed data connection and ignores it.
void ReadPendingReply(FtpConnection &connection);

// Both return the value to store back: always -1, since the descriptor is released even when
// close reports an error. Closing marks the connection's running reply read as aborted.
[[nodiscard]] int CloseSocketAbortive(FtpConnection &connection, int socket);
[[nodiscard]] int CloseSocketGraceful(FtpConnection &connection, int socket);

// What a broken connection throws on the worker: a stop whose cause was the server.
struct ConnectionDropped : WorkerStopped {
};

// Ends the session after a broken connection. On the worker it never returns (it throws
// ConnectionDropped, and the worker leaves as if stopped); on the window thread it cleans up and
// returns.
void ConnectionLost(FtpConnection &connection);

// Closes the local files of a running download and upload; true when an upload file was open.
bool CloseLocalFiles(FtpConnection &connection);
