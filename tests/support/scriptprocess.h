#pragma once

#include <QProcess>
#include <QString>

namespace testsupport
{

// Starts one of the tests' Python servers on `folder`; the server prints the port it bound on its
// first line. Returns that port, or 0 when the server did not start or say it in time.
quint16 startServerScript(QProcess &process, const QString &script, const QString &folder);

// Ends a process the tests started, by its process id: politely first, then for good.
void endServerScript(QProcess &process);

} // namespace testsupport
