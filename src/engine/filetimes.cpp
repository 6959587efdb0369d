#include "engine/filetimes.h"

#include "engine/controlconnection.h"
#include "engine/mlsdparser.h"
#include "engine/replylines.h"
#include "platform/log.h"

#include <QFile>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{

std::optional<std::int64_t> serverTime(FtpConnection &connection, const QByteArray &remotePath)
{
    if (connection.features.mdtm) {
        QByteArray reply;
        if (SendCommand(connection, "MDTM " + remotePath, &reply) == 2)
            return ParseTimeReply(reply);
        return std::nullopt;
    }
    if (connection.features.mlst) {
        QList<QByteArray> lines;
        int result = 0;
        {
            const ReplyLinesScope scope(connection, lines);
            result = SendCommand(connection, "MLST " + remotePath);
        }
        // The facts stand on the line between the reply's first and last, after a blank.
        if (result != 2 || lines.size() < 3)
            return std::nullopt;
        if (const std::optional<QByteArrayView> modify = FactValue(lines[1].trimmed(), "modify"))
            return ParseFactTime(*modify);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::int64_t> ParseTimeReply(const QByteArray &reply)
{
    if (!reply.startsWith("213 "))
        return std::nullopt;
    return ParseFactTime(QByteArrayView(reply).sliced(4).trimmed());
}

QByteArray FactTimeText(std::int64_t utcSeconds)
{
    const std::time_t when = std::time_t(utcSeconds);
    std::tm utc{};
    if (!gmtime_r(&when, &utc))
        return {};
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", utc.tm_year + 1900,
                                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return n == 14 ? QByteArray(text, n) : QByteArray();
}

void KeepServerTime(FtpConnection &connection, const QByteArray &remotePath, const QString &localPath)
{
    const std::optional<std::int64_t> seconds = serverTime(connection, remotePath);
    if (!seconds) {
        if (connection.controlSocket != -1)
            AppendLog(LogColor::Error, TextId::ServerTimeUnreadable, remotePath.constData());
        return;
    }
    // The access time stays as it is; only the modified time is the server's.
    const timespec times[2] = {{0, UTIME_OMIT}, {std::time_t(*seconds), 0}};
    if (::utimensat(AT_FDCWD, QFile::encodeName(localPath).constData(), times, 0) != 0)
        AppendLog(LogColor::Error, TextId::FileTimeNotKept, QFile::encodeName(localPath).constData());
}

void KeepLocalTime(FtpConnection &connection, const QByteArray &remotePath, const QString &localPath)
{
    if (!connection.features.mfmt)
        return;
    struct stat status {
    };
    if (::stat(QFile::encodeName(localPath).constData(), &status) != 0)
        return;
    const QByteArray text = FactTimeText(status.st_mtim.tv_sec);
    if (text.isEmpty())
        return;
    if (SendCommand(connection, "MFMT " + text + ' ' + remotePath) != 2 && connection.controlSocket != -1)
        AppendLog(LogColor::Error, TextId::FileTimeNotKept, remotePath.constData());
}
