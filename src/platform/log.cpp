#include "platform/log.h"

#include "platform/strings.h"
#include "platform/uithread.h"

#include <QLoggingCategory>

#include <memory>
#include <mutex>

Q_LOGGING_CATEGORY(lcSessionLog, "tidewell.log", QtWarningMsg)

namespace {

std::mutex sinkMutex;
std::shared_ptr<LogSink> currentSink;
thread_local int connectionMark = 0;

} // namespace

QColor logColorRgb(LogColor color)
{
    switch (color) {
    case LogColor::Reply:
        return QColor(0, 0, 0);
    case LogColor::Command:
        return QColor(0, 128, 0);
    case LogColor::Status:
        return QColor(0, 0, 255);
    case LogColor::Error:
        return QColor(200, 0, 0);
    }
    return QColor(0, 0, 0);
}

void setLogSink(LogSink sink)
{
    std::lock_guard lock(sinkMutex);
    currentSink = sink ? std::make_shared<LogSink>(std::move(sink)) : nullptr;
}

void setLogConnectionMark(int connection)
{
    connectionMark = connection;
}

int logConnectionMark()
{
    return connectionMark;
}

void AppendLog(const QString &plain, LogColor color)
{
    const QString text =
        connectionMark > 0 ? QLatin1Char('[') + QString::number(connectionMark) + QLatin1String("] ") + plain : plain;
    qCDebug(lcSessionLog).noquote() << text;
    // Always posted, also from the window thread, so that lines keep the order of the calls.
    uithread::post([text, color] {
        std::shared_ptr<LogSink> sink;
        {
            std::lock_guard lock(sinkMutex);
            sink = currentSink;
        }
        if (sink)
            (*sink)(text, color);
    });
}
