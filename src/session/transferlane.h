#pragma once

#include "engine/ftpconnection.h"
#include "engine/loginfields.h"
#include "session/ftpprotocol.h"

#include <QByteArray>

#include <memory>

class Session;
class SessionController;

// One transfer connection beside the session's own: it logs in as the session did (same site,
// same encryption, and only the certificate the session's connection accepted), keeps its own
// working folder and transfer state. Used on its own thread and closed there; interrupt() may come
// from any thread. Destroy it on the window thread, where its read-outs are delivered.
class TransferLane
{
public:
    enum class Opened {
        LoggedIn,
        Refused, // the server would not take another login: 421, 530, or closed at once
        Failed,  // anything else that kept it from logging in
    };

    // `number` is the connection's mark in the log; the session's login is read here, on the
    // starting thread. `options` are the run's, which the session's may differ from meanwhile.
    TransferLane(int number, const Session &s, const EngineOptions &options);
    // Its read-outs go on to the session's status bar (the one connection a run starts on).
    void showProgressInStatusBar(SessionController *controller);
    ~TransferLane();
    TransferLane(const TransferLane &) = delete;
    TransferLane &operator=(const TransferLane &) = delete;

    [[nodiscard]] Opened open();
    [[nodiscard]] int number() const { return number_; }
    // Where the server put this connection, as it says (with relative paths: every later change
    // of folder goes step by step from there); empty when it did not say.
    [[nodiscard]] const QByteArray &startFolder() const { return startFolder_; }
    [[nodiscard]] FtpConnection &connection() { return connection_; }
    [[nodiscard]] RemoteProtocol &protocol() { return protocol_; }
    // Its own thread, when the run is over: QUIT, without waiting for the answer, and the close.
    void quit();
    // Its listings go to a file of its own (removed with the lane) rather than the program's one.
    void useOwnListingFile();
    // Its sockets and local files closed, as a stopped job leaves them.
    void close();
    // Any thread: its sockets are shut down, so that whatever it waits for ends at once.
    void interrupt();

private:
    class Host;

    int number_;
    LoginFields login_;
    QByteArray startFolder_;
    QString ownListingFile_;
    std::unique_ptr<Host> host_;
    FtpConnection connection_;
    FtpProtocol protocol_{connection_};
};
