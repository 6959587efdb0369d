#pragma once

#include <QByteArray>

#include <optional>

// The time in a positive MDTM reply ("213 20240131235959", optionally with ".sss"), as the 14
// digits of the second it names; nothing when the reply holds no such time (a month 13, letters,
// a short number).
[[nodiscard]] std::optional<QByteArray> ParseModifiedTimeReply(const QByteArray &reply);
