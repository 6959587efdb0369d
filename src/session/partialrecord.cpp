#include "session/partialrecord.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace
{

constexpr char attributeName[] = "user.tidewell.partial";
constexpr char header[] = "tidewell-partial 1";
// A record is a few lines; anything longer is no record of ours.
constexpr qsizetype recordLimit = 8192;

// A field may hold any byte but a line break, which would start the next field.
QByteArray escaped(const QByteArray &field)
{
    return field.toPercentEncoding(QByteArray(), "\r\n%");
}

} // namespace

QByteArray PartialRecord::toBytes() const
{
    return QByteArray(header) + '\n' + escaped(server) + '\n' + escaped(remotePath) + '\n' +
           QByteArray::number(size) + '\n' + escaped(modified) + '\n';
}

std::optional<PartialRecord> PartialRecord::fromBytes(const QByteArray &bytes)
{
    if (bytes.size() > recordLimit || !bytes.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    if (lines.size() != 5 || lines[0] != header)
        return std::nullopt;
    bool ok = false;
    const qint64 size = lines[3].toLongLong(&ok);
    if (!ok || size < 0 || lines[2].isEmpty())
        return std::nullopt;
    return PartialRecord{QByteArray::fromPercentEncoding(lines[1]), QByteArray::fromPercentEncoding(lines[2]), size,
                         QByteArray::fromPercentEncoding(lines[4])};
}

namespace partialrecord
{

QByteArray sidePath(const QByteArray &localPath)
{
    const qsizetype cut = localPath.lastIndexOf('/');
    return localPath.left(cut + 1) + '.' + localPath.mid(cut + 1) + ".tidewell-partial";
}

Loaded load(const QByteArray &localPath)
{
    QByteArray bytes(recordLimit + 1, Qt::Uninitialized);
    const ssize_t length = ::getxattr(localPath.constData(), attributeName, bytes.data(), size_t(bytes.size()));
    if (length >= 0) {
        bytes.truncate(length);
    } else if (errno == ERANGE) {
        return {Loaded::State::Damaged, {}};
    } else {
        QFile side(QFile::decodeName(sidePath(localPath)));
        if (!side.open(QIODevice::ReadOnly))
            return {};
        bytes = side.read(recordLimit + 1);
    }
    const std::optional<PartialRecord> record = PartialRecord::fromBytes(bytes);
    return record ? Loaded{Loaded::State::Found, *record} : Loaded{Loaded::State::Damaged, {}};
}

bool save(const QByteArray &localPath, const PartialRecord &record)
{
    const QByteArray bytes = record.toBytes();
    if (::setxattr(localPath.constData(), attributeName, bytes.constData(), size_t(bytes.size()), 0) == 0) {
        (void)QFile::remove(QFile::decodeName(sidePath(localPath)));
        return true;
    }
    QFile side(QFile::decodeName(sidePath(localPath)));
    return side.open(QIODevice::WriteOnly | QIODevice::Truncate) && side.write(bytes) == bytes.size();
}

void remove(const QByteArray &localPath)
{
    (void)::removexattr(localPath.constData(), attributeName);
    (void)QFile::remove(QFile::decodeName(sidePath(localPath)));
}

} // namespace partialrecord
