#include "httpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/types.h>

namespace testsupport
{

HttpServer::HttpServer()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(TIDEWELL_SOURCE_DIR "/tests/support/httpserver.py"), folder_.path()});
    if (!process_.waitForStarted(10000))
        return;
    QDeadlineTimer deadline(15000);
    QByteArray line;
    while (!line.contains('\n') && !deadline.hasExpired()) {
        if (!process_.waitForReadyRead(int(deadline.remainingTime())))
            break;
        line += process_.readAllStandardOutput();
    }
    bool ok = false;
    const int number = line.trimmed().toInt(&ok);
    if (ok && number > 0 && number < 65536)
        port_ = quint16(number);
}

HttpServer::~HttpServer()
{
    const qint64 pid = process_.processId();
    if (pid > 0) {
        ::kill(pid_t(pid), SIGTERM);
        if (!process_.waitForFinished(5000)) {
            ::kill(pid_t(pid), SIGKILL);
            process_.waitForFinished(5000);
        }
    }
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
