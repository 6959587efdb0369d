// The commands that check a file rather than move it: its modified time, a piece of it, its hash.
#include "session/ftpprotocol.h"

#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/modifiedtimereply.h"

#include <QDir>
#include <QTemporaryFile>

namespace
{

// The engine's fields for a piece of a file, put back however the read ends.
class PieceScope
{
public:
    PieceScope(FtpConnection &connection, qint64 offset, qint64 length) : connection_(connection)
    {
        connection.listingTransfer = false;
        connection.resumeRequested = offset > 0;
        connection.resumeOffset = offset;
        connection.transferTotalSize = length;
        connection.transferDone = 0;
        connection.transferHash = nullptr;
        connection.receiveLimit = length;
    }
    ~PieceScope()
    {
        connection_.resumeRequested = false;
        connection_.receiveLimit = -1;
    }
    PieceScope(const PieceScope &) = delete;
    PieceScope &operator=(const PieceScope &) = delete;

private:
    FtpConnection &connection_;
};

} // namespace

ServerFeatures FtpProtocol::serverFeatures() const
{
    return connection_.features;
}

RemoteFact FtpProtocol::modifiedTime(const QByteArray &path)
{
    QByteArray reply;
    if (SendCommand(connection_, "MDTM " + path, &reply) != 2)
        return {RemoteFact::Status::Refused, {}, reply.trimmed()};
    const std::optional<QByteArray> time = ParseModifiedTimeReply(reply);
    return {time ? RemoteFact::Status::Known : RemoteFact::Status::Garbled, time.value_or(QByteArray()),
            reply.trimmed()};
}

RemotePiece FtpProtocol::readPiece(const QByteArray &path, qint64 offset, qint64 length)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tidewell-piece-XXXXXX"));
    if (length <= 0 || !file.open())
        return {};
    int result = 0;
    bool restTaken = false;
    {
        const PieceScope scope(connection_, offset, length);
        result = RetrieveFile(connection_, "RETR " + path, file.fileName(), 'I');
        // The engine drops the request when the server refuses REST: what came is from byte 0.
        restTaken = offset == 0 || connection_.resumeRequested;
    }
    if (!restTaken)
        return {};
    file.seek(0);
    RemotePiece piece{RemotePiece::Status::Read, file.read(length)};
    if (result <= 0 && piece.bytes.isEmpty())
        return {};
    return piece;
}

RemoteFact FtpProtocol::fileHash(const QByteArray &path, const HashCommand &command)
{
    QByteArray reply;
    if (command.viaHash) {
        // The server hashes with the algorithm it was last told, whatever it lists first.
        if (SendCommand(connection_, "OPTS HASH " + hashAlgorithmName(command.algorithm), &reply) != 2)
            return {RemoteFact::Status::Refused, {}, reply.trimmed()};
    }
    if (SendCommand(connection_, command.verb() + ' ' + path, &reply) != 2)
        return {RemoteFact::Status::Refused, {}, reply.trimmed()};
    const std::optional<QByteArray> digest = ParseHashReply(reply, command);
    return {digest ? RemoteFact::Status::Known : RemoteFact::Status::Garbled, digest.value_or(QByteArray()),
            reply.trimmed()};
}
