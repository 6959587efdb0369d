#pragma once

#include "engine/ftpconnection.h"

#include <QByteArray>

#include <optional>

// The directory commands. Each sends the standard command and, when the server does not know it
// (reply 500), its older X-form. Paths are bytes and go out exactly as given. Results are the
// last reply code / 100 (2 = success, 0 = no reply, 4 after an abort).

[[nodiscard]] int RemoteChangeDirectory(FtpConnection &connection, const QByteArray &path);
// The reply line goes to `reply`, for ParseWorkingDirectory.
[[nodiscard]] int RemotePrintDirectory(FtpConnection &connection, QByteArray *reply = nullptr);
// 550 itself when the server answered 550 (the folder may exist already).
[[nodiscard]] int RemoteMakeDirectory(FtpConnection &connection, const QByteArray &path);
[[nodiscard]] int RemoteRemoveDirectory(FtpConnection &connection, const QByteArray &path);
[[nodiscard]] int RemoteDeleteFile(FtpConnection &connection, const QByteArray &name);

// The directory named in a PWD reply: the text after the first double quote up to the next single
// one, a doubled quote standing for one quote of the path; without quotes, the first word after
// the reply code when it begins like a path ("/", "\\", "C:"). Kept whole, however long. Nothing
// when the line names no directory (callers then keep what they had).
[[nodiscard]] std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &reply);

// The command line as sent: "VERB path", or "VERB path/" with every "//" collapsed on servers
// that want directory arguments with a trailing slash.
[[nodiscard]] QByteArray DirectoryCommandText(const char *verb, const QByteArray &path, bool trailingSlash);
