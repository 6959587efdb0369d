#pragma once

#include <QString>

// One login with the reconnects the settings allow; returns the control socket or -1.
// The delay between attempts ends early when the worker is stopped (Abort, Disconnect).
[[nodiscard]] int ConnectWithRetries(const QString &host);
