#include "httpserver.h"

#include <QDir>
#include <QFile>

namespace testsupport
{

HttpServer::HttpServer()
    : server_(QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/httpserver.py"), folder_.path())
{
}

QUrl HttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.port()).arg(path));
}

bool HttpServer::serve(const QString &name, const QByteArray &content) const
{
    QFile file(QDir(folder_.path()).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace testsupport
