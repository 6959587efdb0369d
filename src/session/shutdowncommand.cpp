#include "session/shutdowncommand.h"

#include "platform/workerstop.h"

#include <QMutex>
#include <QProcess>

#include <chrono>

namespace shutdowncommand
{
namespace
{

QMutex mutex;
QStringList replaced;

constexpr int sliceMs = 100;
constexpr int limitMs = 30000;

} // namespace

QStringList command()
{
    const QMutexLocker lock(&mutex);
    return replaced.isEmpty() ? QStringList{QStringLiteral("systemctl"), QStringLiteral("poweroff")}
                              : replaced;
}

void setForTest(const QStringList &command)
{
    const QMutexLocker lock(&mutex);
    replaced = command;
}

void resetForTest()
{
    setForTest({});
}

QString run()
{
    const QStringList line = command();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(line.front(), line.mid(1));
    if (!process.waitForStarted(limitMs))
        return process.errorString();
    for (int waited = 0; !process.waitForFinished(sliceMs); waited += sliceMs) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (waited >= limitMs || workerstop::requested()) {
            process.kill();
            process.waitForFinished(sliceMs);
            workerstop::throwIfRequested();
            return QStringLiteral("%1 did not finish").arg(line.join(QLatin1Char(' ')));
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed().left(300);
        return QStringLiteral("%1 ended with %2%3")
            .arg(line.join(QLatin1Char(' ')))
            .arg(process.exitCode())
            .arg(output.isEmpty() ? QString() : QStringLiteral(": ") + output);
    }
    return {};
}

} // namespace shutdowncommand
