#pragma once

#include "engine/hashreply.h"
#include "engine/loginfields.h"
#include "engine/serverfeatures.h"
#include "session/operationresult.h"
#include "session/remotefacts.h"

#include <QByteArray>
#include <QString>

#include <optional>

// One file to fetch or send.
struct FileTransfer {
    QByteArray remotePath; // as the server is sent it
    QString localPath;
    char type = 'I'; // 'A' text, 'I' binary
    // Positive: resume from there. The download appends to the local file cut to that length; the
    // upload appends the rest to the server's copy that long, or sends the whole file when the
    // server will not append.
    qint64 offset = 0;
    // The whole file's length, which the progress read-outs count towards.
    qint64 size = 0;
    // Fed with the whole file's bytes (the part already there included) when set.
    StreamHash *hash = nullptr;
};

// What the jobs ask of a server, whatever protocol reaches it. Paths go out exactly as given
// (a job decides between bare names and full paths). A refusal comes back as a result; a broken
// connection ends the session and, on the worker, leaves the job as a stop does. Worker thread,
// except keepAlive, which the window thread sends while no job runs.
class RemoteProtocol
{
public:
    virtual ~RemoteProtocol() = default;

    // Connects and logs in; Done with the connection open.
    virtual OperationResult logIn(const LoginFields &login) = 0;

    // The working folder.
    virtual OperationResult changeFolder(const QByteArray &path) = 0;
    virtual OperationResult changeToParent() = 0;
    // Done with `folder` set to the folder the server names, or nullopt when its answer names none.
    virtual OperationResult printFolder(std::optional<QByteArray> &folder) = 0;
    // The working folder's listing, as the server sends it, into the program's listing file.
    virtual OperationResult listWorkingFolder() = 0;

    virtual OperationResult makeFolder(const QByteArray &path) = 0;
    virtual OperationResult removeFolder(const QByteArray &path) = 0;
    virtual OperationResult deleteFile(const QByteArray &path) = 0;
    // nullopt when the server ended the rename after its first step without taking the new name:
    // whether anything changed is unknown, and there is nothing to report.
    virtual std::optional<OperationResult> rename(const QByteArray &from, const QByteArray &to) = 0;
    // The file's size in bytes, or -1 when the server does not say.
    virtual qint64 fileSize(const QByteArray &path) = 0;
    // The mode as the dialog shows it: three octal digits.
    virtual OperationResult changeMode(int mode, const QByteArray &path) = 0;
    virtual OperationResult rawCommand(const QByteArray &line) = 0;

    // A file down into its local path, or up from it. Done once the server confirmed the whole
    // transfer; `received` is then how far the download reached, the offset included (less than
    // the file's size when the server ended it early).
    virtual OperationResult retrieve(const FileTransfer &file, qint64 &received) = 0;
    virtual OperationResult store(const FileTransfer &file) = 0;

    // What the server offers besides the basic commands; nothing for a protocol that cannot say.
    [[nodiscard]] virtual ServerFeatures serverFeatures() const { return {}; }
    // The file's modified time as the 14 digits of MDTM.
    virtual RemoteFact modifiedTime(const QByteArray & /*path*/) { return {}; }
    // Up to `length` bytes of the file from `offset`; the transfer is cut off after them.
    virtual RemotePiece readPiece(const QByteArray & /*path*/, qint64 /*offset*/, qint64 /*length*/) { return {}; }
    // The server's hash of the whole file, in lower-case hex.
    virtual RemoteFact fileHash(const QByteArray & /*path*/, const HashCommand & /*command*/) { return {}; }

    // The clean-up steps: an idle connection kept open, the session ended politely, the running
    // transfer aborted, and the reply a stopped command left on the connection read and dropped.
    virtual OperationResult keepAlive() = 0;
    virtual OperationResult close() = 0;
    virtual OperationResult abort() = 0;
    virtual OperationResult readPendingReply() = 0;
};
