#pragma once

#include <QByteArray>

#include <optional>

// Interim (the directory commands proper replace this file).
[[nodiscard]] int RemoteChangeDirectory(int socket, const QByteArray &path);
[[nodiscard]] int RemotePrintDirectory(int socket);
[[nodiscard]] std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &reply);
