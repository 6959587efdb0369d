#include "engine/dircommands.h"

#include "engine/controlconnection.h"

namespace
{

constexpr int unknownCommand = 500;
constexpr int maxDirectoryLength = 180;

int lastClass(const FtpConnection &c)
{
    return c.lastReplyCode / 100;
}

// Sends the command and, when the server answered "500 unknown command", the X-form.
void sendWithFallback(FtpConnection &c, const char *verb, const char *oldVerb, const QByteArray &path)
{
    const bool trailingSlash = c.trailingSlashDirs;
    const int result = SendCommand(c, DirectoryCommandText(verb, path, trailingSlash));
    if (result == 5 && c.lastReplyCode == unknownCommand)
        SendCommand(c, DirectoryCommandText(oldVerb, path, trailingSlash));
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

int RemoteChangeDirectory(FtpConnection &c, const QByteArray &path)
{
    sendWithFallback(c, "CWD", "XCWD", path);
    return lastClass(c);
}

int RemotePrintDirectory(FtpConnection &c, QByteArray *reply)
{
    if (SendCommand(c, "PWD", reply) == 5 && c.lastReplyCode == unknownCommand)
        SendCommand(c, "XPWD", reply);
    return lastClass(c);
}

int RemoteMakeDirectory(FtpConnection &c, const QByteArray &path)
{
    sendWithFallback(c, "MKD", "XMKD", path);
    return c.lastReplyCode == 550 ? 550 : lastClass(c);
}

int RemoteRemoveDirectory(FtpConnection &c, const QByteArray &path)
{
    sendWithFallback(c, "RMD", "XRMD", path);
    return lastClass(c);
}

int RemoteDeleteFile(FtpConnection &c, const QByteArray &name)
{
    SendCommand(c, "DELE " + name);
    return lastClass(c);
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
