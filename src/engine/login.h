#pragma once

#include <QByteArray>
#include <QString>

// One login attempt: connect, read the greeting, identify the server, USER and PASS.
// Returns the control socket, or -1.
[[nodiscard]] int Login(const QString &host);

// Learns the server family from a reply line read before the login completed.
void IdentifyServer(const QByteArray &line);
