#include "session/ftpprotocol.h"

#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/dircommands.h"
#include "engine/filetimes.h"
#include "engine/listingloader.h"
#include "engine/login.h"

OperationResult FtpProtocol::resultOf(int replyClass) const
{
    if (connection_.connectionEnded)
        return {OperationResult::Outcome::ConnectionLost, connection_.lastReplyCode, connection_.replyText()};
    if (replyClass == 2)
        return {OperationResult::Outcome::Done, connection_.lastReplyCode, {}};
    return {OperationResult::Outcome::Refused, connection_.lastReplyCode, connection_.replyText()};
}

OperationResult FtpProtocol::logIn(const LoginFields &login)
{
    if (Login(connection_, login) >= 0)
        return {OperationResult::Outcome::Done, connection_.lastReplyCode, {}};
    return {OperationResult::Outcome::Refused, connection_.lastReplyCode, connection_.replyText()};
}

OperationResult FtpProtocol::changeFolder(const QByteArray &path)
{
    return resultOf(RemoteChangeDirectory(connection_, path));
}

OperationResult FtpProtocol::changeToParent()
{
    return resultOf(SendCommand(connection_, "CDUP"));
}

OperationResult FtpProtocol::printFolder(std::optional<QByteArray> &folder)
{
    QByteArray reply;
    const OperationResult result = resultOf(RemotePrintDirectory(connection_, &reply));
    folder = result.done() ? ParseWorkingDirectory(reply) : std::nullopt;
    return result;
}

OperationResult FtpProtocol::listWorkingFolder()
{
    return resultOf(DownloadFolderListing(connection_));
}

OperationResult FtpProtocol::makeFolder(const QByteArray &path)
{
    // The engine gives 550 itself for "550": the folder may be there already.
    const int result = RemoteMakeDirectory(connection_, path);
    return resultOf(result == 550 ? 5 : result);
}

OperationResult FtpProtocol::removeFolder(const QByteArray &path)
{
    return resultOf(RemoteRemoveDirectory(connection_, path));
}

OperationResult FtpProtocol::deleteFile(const QByteArray &path)
{
    return resultOf(RemoteDeleteFile(connection_, path));
}

std::optional<OperationResult> FtpProtocol::rename(const QByteArray &from, const QByteArray &to)
{
    // RNFR, then RNTO when the server waits for it (class 3).
    const int first = SendCommand(connection_, "RNFR " + from);
    if (first == 2 && !connection_.connectionEnded)
        return std::nullopt;
    if (first != 3 || connection_.connectionEnded)
        return resultOf(first);
    return resultOf(SendCommand(connection_, "RNTO " + to));
}

qint64 FtpProtocol::fileSize(const QByteArray &path)
{
    // Servers answer SIZE in type I only.
    SetTransferType(connection_, 'I');
    QByteArray reply;
    if (SendCommand(connection_, "SIZE " + path, &reply) != 2)
        return -1;
    bool ok = false;
    const qint64 size = reply.mid(4).trimmed().toLongLong(&ok);
    return ok && size >= 0 ? size : -1;
}

OperationResult FtpProtocol::changeMode(int mode, const QByteArray &path)
{
    return resultOf(SendCommand(connection_, "SITE CHMOD " + QByteArray::number(mode) + ' ' + path));
}

OperationResult FtpProtocol::rawCommand(const QByteArray &line)
{
    return resultOf(SendCommand(connection_, line));
}

namespace
{

// The engine's transfer fields for one file, the resume request taken back however it ends: the
// next transfer or listing must not start at this file's offset.
class TransferScope
{
public:
    TransferScope(FtpConnection &connection, const FileTransfer &file) : connection_(connection)
    {
        connection.listingTransfer = false;
        connection.resumeRequested = file.offset > 0;
        connection.resumeOffset = file.offset > 0 ? file.offset : 0;
        connection.transferTotalSize = file.size;
        connection.transferDone = 0;
        connection.transferHash = file.hash;
    }
    ~TransferScope()
    {
        connection_.resumeRequested = false;
        connection_.transferHash = nullptr;
    }
    TransferScope(const TransferScope &) = delete;
    TransferScope &operator=(const TransferScope &) = delete;

private:
    FtpConnection &connection_;
};

} // namespace

OperationResult FtpProtocol::retrieve(const FileTransfer &file, qint64 &received)
{
    const TransferScope scope(connection_, file);
    const OperationResult result =
        resultOf(RetrieveFile(connection_, "RETR " + file.remotePath, file.localPath, file.type));
    received = connection_.transferDone;
    if (result.done() && connection_.options.keepFileTimes)
        KeepServerTime(connection_, file.remotePath, file.localPath);
    return result;
}

OperationResult FtpProtocol::store(const FileTransfer &file)
{
    const TransferScope scope(connection_, file);
    QByteArray command = (file.offset > 0 ? "APPE " : "STOR ") + file.remotePath;
    const OperationResult result = resultOf(StoreFile(connection_, command, file.localPath, file.type));
    if (result.done() && connection_.options.keepFileTimes)
        KeepLocalTime(connection_, file.remotePath, file.localPath);
    return result;
}

OperationResult FtpProtocol::keepAlive()
{
    return resultOf(SendCommand(connection_, "NOOP"));
}

OperationResult FtpProtocol::close()
{
    return resultOf(SendCommand(connection_, "QUIT"));
}

OperationResult FtpProtocol::abort()
{
    // Two replies: that of the aborted transfer and the abort's own.
    return resultOf(SendCommand(connection_, "ABOR"));
}

OperationResult FtpProtocol::readPendingReply()
{
    connection_.lastReplyCode = 0;
    ReadPendingReply(connection_);
    // Any complete reply, whatever its class, brings the connection back in step.
    return connection_.lastReplyCode != 0 ? resultOf(2) : resultOf(0);
}
