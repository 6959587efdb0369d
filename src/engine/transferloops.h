#pragma once

#include "engine/ftpconnection.h"

#include <QString>
#include <QtGlobal>

// The byte loops between a local file and a connected data socket, with the progress read-out
// and the statistics line that closes each transfer. Worker thread.

// One block of the byte loops: large, so that a fast transfer costs few calls.
inline constexpr int transferBlockSize = 256 * 1024;

// Sends the local file to its end (from the resume offset when resuming). False when the socket
// is -1, the session is not connected or the file cannot be opened or read to its end. Without
// `binary` (type A) the file's LF line ends go as CR LF.
[[nodiscard]] bool SendFromFile(FtpConnection &connection, int dataSocket, const QString &localPath, bool binary);

// Receives into the local file (appending at the resume offset when resuming) until the server
// closes the data connection or an abort. True when a transfer took place, also an interrupted
// one that brought data. Without `binary` (type A, not a listing) CR LF line ends are written as
// LF. `writeFailed` is set when the local file stopped taking the bytes (a
// full disk): the transfer then ended early and the partial file stays for a later resume.
[[nodiscard]] bool ReceiveToFile(FtpConnection &connection, int dataSocket, const QString &localPath, bool binary,
                                 bool *writeFailed = nullptr);

// The bytes/percent read-out for `done` bytes of the current transfer (into the window title as
// well while the main window is minimised). Never waits for the screen.
void ShowTransferProgress(FtpConnection &connection, qint64 done);
// The rate/time-left read-out.
void ShowTransferRate(FtpConnection &connection, const QString &text);
