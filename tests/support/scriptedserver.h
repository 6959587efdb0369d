#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

namespace testsupport
{

// What the scripted server does for one command (or for the greeting). A text gets CR LF
// appended when it has no line feed at its end; raw() bytes go out exactly as given.
class Reply
{
public:
    Reply(const char *text);
    Reply(const QByteArray &text);
    static Reply raw(const QByteArray &bytes);
    // Sends nothing: the client waits.
    static Reply silent();
    // Opens a data port on 127.0.0.1 and answers with the text, in which "{addr}" becomes
    // "127,0,0,1" and "{port}" the two port numbers, so a test can point elsewhere.
    static Reply pasv(const QByteArray &text = "227 Entering Passive Mode ({addr},{port})");
    // Takes the client's address from the PORT argument; the next data command connects to it.
    static Reply port(const QByteArray &text = "200 PORT command successful");
    // Opens a data port on 127.0.0.1 like pasv(), "{port}" becoming its number in decimal.
    static Reply epsv(const QByteArray &text = "229 Entering Extended Passive Mode (|||{port}|)");

    Reply &delay(int milliseconds);
    // Each byte goes out as its own segment, with a short pause between them.
    Reply &byteAtATime(int pauseMilliseconds = 2);
    // Closes the control connection after everything else.
    Reply &thenClose();
    // After the reply: opens the data connection, sends these bytes and closes it.
    Reply &sendData(const QByteArray &bytes);
    // After the reply: opens the data connection and keeps all it receives until it closes.
    Reply &receiveData();
    // Sent on the control connection once the data part has ended.
    Reply &then(const QByteArray &text);

private:
    friend class ScriptedServer;
    enum class Kind { Text, Pasv, Port, Epsv };
    enum class Data { None, Send, Receive };
    Kind kind_ = Kind::Text;
    QByteArray bytes_;
    int delayMs_ = 0;
    int bytePauseMs_ = -1;
    bool close_ = false;
    Data data_ = Data::None;
    QByteArray dataBytes_;
    QByteArray after_;
};

// A one-connection-at-a-time FTP server on its own thread, bound to 127.0.0.1 (or ::1) and an
// ephemeral port, that answers from a script and records every command line it receives. Unscripted
// commands get "500 Command not understood", QUIT gets "221 Goodbye" and a close.
class ScriptedServer
{
public:
    // The control connection on 127.0.0.1, or on ::1 (its data ports stay on 127.0.0.1).
    enum class Loopback { Ipv4, Ipv6 };
    explicit ScriptedServer(Reply greeting = Reply("220 Scripted server ready"),
                            Loopback loopback = Loopback::Ipv4);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    [[nodiscard]] quint16 port() const;

    // Every command that begins with `prefix`; a later rule overrides an earlier one.
    ScriptedServer &on(const QByteArray &prefix, Reply reply);
    // Only the next command that begins with `prefix`; these come first, in the order given.
    ScriptedServer &once(const QByteArray &prefix, Reply reply);

    // The command lines received, without CR LF, over all connections.
    [[nodiscard]] QList<QByteArray> commands() const;
    [[nodiscard]] bool waitForCommands(int count, int timeoutMs = 10000) const;
    // The bytes of the last receiveData() transfer.
    [[nodiscard]] QByteArray uploaded() const;
    [[nodiscard]] int connections() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace testsupport
