#include "engine/dircommands.h"

#include "engine/controlconnection.h"

namespace
{

constexpr int unknownCommand = 500;
constexpr int maxDirectoryLength = 180;

int lastClass(const FtpConnection &connection)
{
    return connection.lastReplyCode / 100;
}

// Sends the command and, when the server answered "500 unknown command", the X-form.
void sendWithFallback(FtpConnection &connection, const char *verb, const char *oldVerb, const QByteArray &path)
{
    const bool trailingSlash = connection.trailingSlashDirs;
    const int result = SendCommand(connection, DirectoryCommandText(verb, path, trailingSlash));
    if (result == 5 && connection.lastReplyCode == unknownCommand)
        SendCommand(connection, DirectoryCommandText(oldVerb, path, trailingSlash));
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

int RemoteChangeDirectory(FtpConnection &connection, const QByteArray &path)
{
    sendWithFallback(connection, "CWD", "XCWD", path);
    return lastClass(connection);
}

int RemotePrintDirectory(FtpConnection &connection, QByteArray *reply)
{
    if (SendCommand(connection, "PWD", reply) == 5 && connection.lastReplyCode == unknownCommand)
        SendCommand(connection, "XPWD", reply);
    return lastClass(connection);
}

int RemoteMakeDirectory(FtpConnection &connection, const QByteArray &path)
{
    sendWithFallback(connection, "MKD", "XMKD", path);
    return connection.lastReplyCode == 550 ? 550 : lastClass(connection);
}

int RemoteRemoveDirectory(FtpConnection &connection, const QByteArray &path)
{
    sendWithFallback(connection, "RMD", "XRMD", path);
    return lastClass(connection);
}

int RemoteDeleteFile(FtpConnection &connection, const QByteArray &name)
{
    SendCommand(connection, "DELE " + name);
    return lastClass(connection);
}

std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('"');
    if (open < 0) {
        // Some servers send the path bare: take the first word after the reply code, when it
        // looks like a path rather than like the start of a sentence.
        qsizetype start = 0;
        while (start < reply.size() && start < 3 && reply[start] >= '0' && reply[start] <= '9')
            ++start;
        if (start < reply.size() && reply[start] == '-')
            ++start;
        const auto isBlank = [&](qsizetype i) {
            return reply[i] == ' ' || reply[i] == '\t' || reply[i] == '\r' || reply[i] == '\n';
        };
        while (start < reply.size() && isBlank(start))
            ++start;
        qsizetype end = start;
        while (end < reply.size() && !isBlank(end))
            ++end;
        const QByteArray word = reply.mid(start, end - start);
        const char letter = char(word.isEmpty() ? 0 : word[0] | 0x20);
        const bool drive = word.size() >= 2 && word[1] == ':' && letter >= 'a' && letter <= 'z';
        if (!word.startsWith('/') && !word.startsWith('\\') && !drive)
            return std::nullopt;
        return word;
    }
    // RFC 959 doubles a quote that belongs to the path; the path ends at a single one, or with
    // the line when the closing quote is missing. However long, the path is kept whole.
    QByteArray directory;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 >= reply.size() || reply[i + 1] != '"')
                break;
            ++i;
        }
        directory += reply[i];
    }
    return directory;
}
