// Interim worker until the worker proper lands: one thread per job, stopped cooperatively.
#include "session/worker.h"

#include "engine/controlconnection.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/jobs.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "shell/appsettings.h"

#include <QCoreApplication>

#include <chrono>

int SessionThreadProc()
{
    workerstop::beginWorker();
    SessionState &s = session();
    s.busy = true;
    uithread::post([] {
        if (sessionHooks().stopKeepAlive)
            sessionHooks().stopKeepAlive();
    });
    s.refreshAfterJob = false;
    try {
        switch (s.jobCode.load()) {
        case JobCode::Connect:
            ConnectJob();
            break;
        case JobCode::Refresh:
            RefreshJob();
            break;
        case JobCode::Disconnect:
            SendCommand(s.controlSocket, "QUIT");
            s.jobDoneEvent.set();
            break;
        case JobCode::ReadPendingReply:
            ReadPendingReply(s.controlSocket);
            s.jobDoneEvent.set();
            break;
        case JobCode::Abort:
            SendCommand(s.controlSocket, "ABOR");
            s.jobDoneEvent.set();
            break;
        case JobCode::TransferQueue:
            TransferQueueJob();
            break;
        default:
            break;
        }
        const int minutes = appSettings().keepAliveMinutes;
        uithread::post([minutes] {
            if (sessionHooks().startKeepAlive)
                sessionHooks().startKeepAlive(minutes * 60000);
        });
        s.busy = false;
        if (s.refreshAfterJob)
            uithread::post([] {
                if (sessionHooks().postToRemotePane)
                    sessionHooks().postToRemotePane(int(JobCode::Refresh));
            });
    } catch (const WorkerStopped &) {
    }
    workerstop::endWorker();
    return 1;
}

bool StartJob(JobCode code, const QByteArray &argument, BusyMessage busyMessage)
{
    SessionState &s = session();
    if (s.busy) {
        if (busyMessage == BusyMessage::Log)
            AppendLogId(LogColor::Error, 144);
        return false;
    }
    s.commandArgument = argument;
    return StartJob(code, busyMessage);
}

bool StartJob(JobCode code, BusyMessage)
{
    SessionState &s = session();
    if (s.workerThread.joinable())
        s.workerThread.join();
    s.jobCode = code;
    workerstop::clear();
    s.busy = true;
    s.workerThread = std::thread(SessionThreadProc);
    return true;
}

bool workerRunning() { return session().workerThread.joinable(); }

bool stopWorker()
{
    joinWorker();
    return true;
}

void joinWorker()
{
    SessionState &s = session();
    if (!s.workerThread.joinable())
        return;
    workerstop::request();
    s.workerThread.join();
    workerstop::clear();
}

bool WaitForJobDone()
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (session().jobDoneEvent.wait(std::chrono::milliseconds(10)))
            return true;
        if (std::chrono::steady_clock::now() - start > durations::get(durations::Kind::JobDoneWait))
            return false;
    }
}

bool RunJobAndWait(JobCode code)
{
    SessionState &s = session();
    s.jobDoneEvent.reset();
    (void)StartJob(code);
    const bool done = WaitForJobDone();
    if (!done)
        stopWorker();
    else if (s.workerThread.joinable())
        s.workerThread.join();
    return done;
}
