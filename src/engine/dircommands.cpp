#include "engine/dircommands.h"

#include "engine/controlconnection.h"
#include "session/sessionstate.h"

namespace
{

constexpr int unknownCommand = 500;
constexpr int maxDirectoryLength = 180;

int lastClass()
{
    return session().lastReplyCode / 100;
}

// Sends the command and, when the server answered "500 unknown command", the X-form.
void sendWithFallback(int socket, const char *verb, const char *oldVerb, const QByteArray &path)
{
    const bool trailingSlash = session().trailingSlashDirs;
    const int result = SendCommand(socket, DirectoryCommandText(verb, path, trailingSlash));
    if (result == 5 && session().lastReplyCode == unknownCommand)
        SendCommand(socket, DirectoryCommandText(oldVerb, path, trailingSlash));
}

} // namespace

QByteArray DirectoryCommandText(const char *verb, const QByteArray &path, bool trailingSlash)
{
    QByteArray text = QByteArray(verb) + ' ' + path;
    if (!trailingSlash)
        return text;
    // The root "/" must go out as one slash, and a path that ends in "/" gets no second one.
    text += '/';
    while (text.contains("//"))
        text.replace("//", "/");
    return text;
}

int RemoteChangeDirectory(int socket, const QByteArray &path)
{
    sendWithFallback(socket, "CWD", "XCWD", path);
    return lastClass();
}

int RemotePrintDirectory(int socket)
{
    if (SendCommand(socket, "PWD") == 5 && session().lastReplyCode == unknownCommand)
        SendCommand(socket, "XPWD");
    return lastClass();
}

int RemoteMakeDirectory(int socket, const QByteArray &path)
{
    sendWithFallback(socket, "MKD", "XMKD", path);
    return session().lastReplyCode == 550 ? 550 : lastClass();
}

int RemoteRemoveDirectory(int socket, const QByteArray &path)
{
    sendWithFallback(socket, "RMD", "XRMD", path);
    return lastClass();
}

int RemoteDeleteFile(int socket, const QByteArray &name)
{
    SendCommand(socket, "DELE " + name);
    return lastClass();
}

std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &reply)
{
    const int open = reply.indexOf('"');
    if (open < 0)
        return std::nullopt;
    QByteArray directory = reply.mid(open + 1, maxDirectoryLength);
    const int close = directory.indexOf('"');
    if (close >= 0)
        directory.truncate(close);
    return directory;
}
