#pragma once

#include "engine/ftpconnection.h"
#include "session/remoteprotocol.h"

// The server reached over one FTP control connection, through the engine's commands.
class FtpProtocol : public RemoteProtocol
{
public:
    explicit FtpProtocol(FtpConnection &connection) : connection_(connection) {}

    OperationResult logIn(const LoginFields &login) override;
    OperationResult changeFolder(const QByteArray &path) override;
    OperationResult changeToParent() override;
    OperationResult printFolder(std::optional<QByteArray> &folder) override;
    OperationResult listWorkingFolder() override;
    OperationResult makeFolder(const QByteArray &path) override;
    OperationResult removeFolder(const QByteArray &path) override;
    OperationResult deleteFile(const QByteArray &path) override;
    std::optional<OperationResult> rename(const QByteArray &from, const QByteArray &to) override;
    qint64 fileSize(const QByteArray &path) override;
    OperationResult changeMode(int mode, const QByteArray &path) override;
    OperationResult rawCommand(const QByteArray &line) override;
    OperationResult retrieve(const FileTransfer &file, qint64 &received) override;
    OperationResult store(const FileTransfer &file) override;
    // ftpprotocolchecks.cpp
    [[nodiscard]] ServerFeatures serverFeatures() const override;
    RemoteFact modifiedTime(const QByteArray &path) override;
    RemotePiece readPiece(const QByteArray &path, qint64 offset, qint64 length) override;
    RemoteFact fileHash(const QByteArray &path, const HashCommand &command) override;
    OperationResult keepAlive() override;
    OperationResult close() override;
    OperationResult abort() override;
    OperationResult readPendingReply() override;

private:
    // The engine's result (the reply class, 2 for success) as a result: a connection the server
    // closed meanwhile counts as lost whatever the class.
    [[nodiscard]] OperationResult resultOf(int replyClass) const;

    FtpConnection &connection_;
};
