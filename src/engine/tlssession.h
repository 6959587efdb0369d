#pragma once

#include "engine/ftpconnection.h"

#include <QString>

// TLS on a connection's sockets: the control connection's handshake and certificate check, the
// data connections' handshakes (resuming the control connection's session) and their ends.
// Worker thread, or the window thread with its bounded waits.

// New TLS settings for this login, the handshake on the control socket and the certificate
// check: a certificate that does not verify is put to the user through the host, and nothing is
// sent before the answer. False after a red line; the caller ends the login.
[[nodiscard]] bool StartControlTls(FtpConnection &connection, const QString &host);

// The handshake on a connected data socket while data connections are protected, once the server
// accepted the transfer command. False after a red line: the data socket is closed and the
// server's reply to the transfer command read.
[[nodiscard]] bool StartDataTls(FtpConnection &connection);

// Sends close_notify on the data connection, when encrypted. After a download, false when the
// server ended the stream without close_notify before the listed size: the bytes may be cut short.
[[nodiscard]] bool EndDataTls(FtpConnection &connection, bool upload);

// Tells the host whether the control and data connections are encrypted now.
void ReportEncryption(const FtpConnection &connection);
