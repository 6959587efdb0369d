#include "scriptprocess.h"

#include <QDeadlineTimer>

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>

namespace testsupport
{

quint16 startServerScript(QProcess &process, const QString &script, const QString &folder)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that dies (a sanitizer's report ends it at once) takes its server along: an orphan
    // would hold the test's output open and keep ctest waiting.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(QStringLiteral("/usr/bin/python3"), {script, folder});
    if (!process.waitForStarted(10000))
        return 0;
    QDeadlineTimer deadline(15000);
    QByteArray line;
    while (!line.contains('\n') && !deadline.hasExpired()) {
        if (!process.waitForReadyRead(int(deadline.remainingTime())))
            break;
        line += process.readAllStandardOutput();
    }
    bool ok = false;
    const int number = line.trimmed().toInt(&ok);
    return ok && number > 0 && number < 65536 ? quint16(number) : 0;
}

void endServerScript(QProcess &process)
{
    const qint64 pid = process.processId();
    if (pid <= 0)
        return;
    ::kill(pid_t(pid), SIGTERM);
    if (!process.waitForFinished(5000)) {
        ::kill(pid_t(pid), SIGKILL);
        process.waitForFinished(5000);
    }
}

} // namespace testsupport
