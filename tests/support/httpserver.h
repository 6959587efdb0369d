#pragma once

#include "serverscript.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace testsupport
{

// The web server of tests/support/httpserver.py on 127.0.0.1 and an ephemeral port: the files
// of a fresh temporary folder under /files/, and on purpose a redirection, any status, a slow
// and an endless answer. Stopped by its process id when destroyed.
class HttpServer
{
public:
    HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    [[nodiscard]] bool isRunning() const { return server_.port() != 0; }
    [[nodiscard]] quint16 port() const { return server_.port(); }
    // http://127.0.0.1:port followed by `path`.
    [[nodiscard]] QUrl url(const QString &path) const;
    // Writes a file served under /files/`name`.
    [[nodiscard]] bool serve(const QString &name, const QByteArray &content) const;

private:
    QTemporaryDir folder_;
    ServerScript server_;
};

} // namespace testsupport
