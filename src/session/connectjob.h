#pragma once

#include <QString>

class RemoteProtocol;
class Session;

// One login with the reconnects the settings allow; true when logged in.
// The delay between attempts ends early when the worker is stopped (Abort, Disconnect).
[[nodiscard]] bool ConnectWithRetries(RemoteProtocol &protocol, Session &s, const QString &host);
