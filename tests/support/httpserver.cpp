#include "httpserver.h"

#include "scriptprocess.h"

#include <QDir>
#include <QFile>

namespace testsupport
{

HttpServer::HttpServer()
{
    port_ = startServerScript(process_, QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/httpserver.py"),
                              folder_.path());
}

HttpServer::~HttpServer()
{
    endServerScript(process_);
}

QUrl HttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path));
}

bool HttpServer::serve(const QString &name, const QByteArray &content) const
{
    QFile file(QDir(folder_.path()).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace testsupport
