#pragma once

#include "platform/textformat.h"

#include <QColor>
#include <QString>

#include <functional>

// The session log: every command sent, every reply line, every status and error message.
enum class LogColor {
    Reply,   // server reply lines, black
    Command, // commands sent, green
    Status,  // status and progress, blue
    Error,   // errors, dark red
};

QColor logColorRgb(LogColor color);

// Callable from any thread; lines reach the sink on the window thread in call order.
void AppendLog(const QString &text, LogColor color);
// The text `id` with its arguments put in, appended.
template <typename... Args>
void AppendLog(LogColor color, TextId id, const Args &...args)
{
    AppendLog(formatText(id, args...), color);
}

// The connection the calling thread's lines come from, shown before each of them as "[n] " while
// several connections work at once; 0 (the default) shows nothing. Per thread.
void setLogConnectionMark(int connection);
[[nodiscard]] int logConnectionMark();

// The log pane installs itself here; tests install a recorder. Runs on the window thread.
using LogSink = std::function<void(const QString &text, LogColor color)>;
void setLogSink(LogSink sink);
