#pragma once

#include "engine/ftpconnection.h"
#include "engine/loginfields.h"

#include <QByteArray>

// One login attempt: connect, read the greeting, identify the server, USER and PASS.
// Returns the control socket, or -1.
[[nodiscard]] int Login(FtpConnection &connection, const LoginFields &login);

// Learns the server family from a reply line read before the login completed.
void IdentifyServer(FtpConnection &connection, const QByteArray &line);
