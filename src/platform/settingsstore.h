#pragma once

#include <QString>

// The per-user settings store: sections of named integers and strings. A value that is absent
// or of the wrong type reads as the caller's default; defaults are never written back.
namespace settingsstore {

inline constexpr const char *applSet = "ApplSet";

int readInt(const QString &section, const QString &name, int defaultValue);
QString readString(const QString &section, const QString &name, const QString &defaultValue);
void writeInt(const QString &section, const QString &name, int value);
void writeString(const QString &section, const QString &name, const QString &value);

} // namespace settingsstore
