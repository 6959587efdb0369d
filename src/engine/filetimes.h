#pragma once

#include "engine/ftpconnection.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The modified times of transferred files kept across the transfer: a download gets the server's
// time (MDTM, else MLST), an upload gives the server the local time (MFMT, where offered). A time
// that cannot be read or set leaves the file as the transfer made it, with a log line.

void KeepServerTime(FtpConnection &connection, const QByteArray &remotePath, const QString &localPath);
void KeepLocalTime(FtpConnection &connection, const QByteArray &remotePath, const QString &localPath);

// The UTC seconds of an MDTM reply line ("213 20240131120000"), or nothing.
[[nodiscard]] std::optional<std::int64_t> ParseTimeReply(const QByteArray &reply);

// "YYYYMMDDHHMMSS" of UTC seconds, as MFMT takes it.
[[nodiscard]] QByteArray FactTimeText(std::int64_t utcSeconds);
