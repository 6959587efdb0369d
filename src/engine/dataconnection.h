#pragma once

#include "engine/epsvreply.h"
#include "engine/ftpconnection.h"

#include <QByteArray>
#include <QString>

// Data connections and the transfer type: TYPE when the letter changes, PASV (the client
// connects) or PORT (the server connects to a listener of ours), REST, the transfer command,
// the byte loop and the final reply.

// Sends TYPE only when `type` differs from the letter last sent ("TYPE L 8" for 'L').
void SetTransferType(FtpConnection &connection, char type);

// Data from the server (RETR with the name, or LIST) into the local file. Returns 0 when no
// transfer took place (also when the local file could not be written), -1 when the accepted data
// socket could not be configured, else the class of the final reply (2 when complete).
[[nodiscard]] int RetrieveFile(FtpConnection &connection, const QByteArray &command, const QString &localPath,
                               char type);

// The local file to the server (STOR or APPE with the name). When the server refuses APPE the
// command is changed to STOR here and the whole file goes. Returns 0 when no transfer took place
// (also when the local file could not be read), else the class of the final reply.
[[nodiscard]] int StoreFile(FtpConnection &connection, QByteArray &command, const QString &localPath, char type);

// Connects the data socket to the address of the PASV reply line.
[[nodiscard]] bool OpenPassiveDataConnection(FtpConnection &connection, const QByteArray &reply);

// Connects the data socket to the port of an EPSV reply at the control connection's address.
[[nodiscard]] bool OpenExtendedPassiveDataConnection(FtpConnection &connection,
                                                     const ExtendedPassiveOffer &offer);

// A listening socket announced to the server with PORT (EPRT over IPv6), or -1.
[[nodiscard]] int OpenActiveListener(FtpConnection &connection);
