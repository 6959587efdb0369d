#include "session/worker.h"

#include "engine/controlconnection.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/jobs.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "platform/appsettings.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <future>

namespace
{

// Ready once the current worker has left SessionThreadProc. Window thread only.
std::shared_future<void> workerExit;

void runJob(JobCode code)
{
    auto &s = session();
    switch (code) {
    case JobCode::Connect:
        ConnectJob();
        break;
    case JobCode::Disconnect:
        (void)SendCommand(s.controlSocket, "QUIT");
        s.jobDoneEvent.set();
        break;
    case JobCode::Refresh:
        RefreshJob();
        break;
    case JobCode::ReadPendingReply:
        ReadPendingReply(s.controlSocket);
        s.jobDoneEvent.set();
        break;
    case JobCode::TransferQueue:
        TransferQueueJob();
        break;
    case JobCode::Abort:
        (void)SendCommand(s.controlSocket, "ABOR");
        s.jobDoneEvent.set();
        break;
    case JobCode::UserCommand:
        // The typed line goes out as it stands, a "%" included.
        (void)SendCommand(s.controlSocket, s.commandArgument);
        break;
    case JobCode::ChangeAttribute:
        (void)SendCommand(s.controlSocket, s.commandArgument);
        s.refreshAfterJob = true;
        break;
    case JobCode::None:
        break;
    }
}

void joinFinishedWorker();

void joinAtShutdown()
{
    joinWorker();
}

// The worker must be joined before the session record is destroyed with the process.
void registerShutdownJoin()
{
    static QCoreApplication *registeredFor = nullptr;
    auto *app = QCoreApplication::instance();
    if (app && app != registeredFor) {
        registeredFor = app;
        qAddPostRoutine(joinAtShutdown);
    }
}

void launch(JobCode code)
{
    auto &s = session();
    joinFinishedWorker();
    workerstop::clear();
    s.jobCode = code;
    s.busy = true;
    std::promise<void> exited;
    workerExit = exited.get_future().share();
    registerShutdownJoin();
    s.workerThread = std::thread([exited = std::move(exited)]() mutable {
        workerstop::beginWorker();
        SessionThreadProc();
        workerstop::endWorker();
        exited.set_value();
    });
}

// A worker that has signalled its job as done may still be on its last steps; give it the
// clean-up bound to finish by itself before asking it to stop.
void joinFinishedWorker()
{
    auto &thread = session().workerThread;
    if (!thread.joinable())
        return;
    if (workerExit.valid() &&
        workerExit.wait_for(durations::get(durations::Kind::JobDoneWait)) != std::future_status::ready)
        workerstop::request();
    thread.join();
}

} // namespace

int SessionThreadProc()
{
    auto &s = session();
    try {
        s.busy = true;
        uithread::post([] {
            if (const auto &hook = sessionHooks().stopKeepAlive)
                hook();
        });
        s.refreshAfterJob = false;

        runJob(s.jobCode);

        const int period = appSettings().keepAliveMinutes * 60000;
        uithread::post([period] {
            if (const auto &hook = sessionHooks().startKeepAlive)
                hook(period);
        });
        s.busy = false;
        if (s.refreshAfterJob) {
            uithread::post([] {
                if (const auto &hook = sessionHooks().postToRemotePane)
                    hook(int(JobCode::Refresh));
            });
        }
    } catch (const WorkerStopped &) {
        // Stopped from outside or by a lost connection: whoever stopped it repairs the session.
    }
    return 1;
}

bool StartJob(JobCode code, BusyMessage busyMessage)
{
    if (session().busy) {
        if (busyMessage == BusyMessage::Log)
            AppendLogId(LogColor::Error, 144);
        return false;
    }
    launch(code);
    return true;
}

bool StartJob(JobCode code, const QByteArray &argument, BusyMessage busyMessage)
{
    if (session().busy) {
        if (busyMessage == BusyMessage::Log)
            AppendLogId(LogColor::Error, 144);
        return false;
    }
    session().commandArgument = argument;
    launch(code);
    return true;
}

bool workerRunning()
{
    return session().workerThread.joinable() && workerExit.valid() &&
           workerExit.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

bool stopWorker()
{
    auto &thread = session().workerThread;
    if (!thread.joinable())
        return true;
    workerstop::request();
    if (workerExit.valid() &&
        workerExit.wait_for(durations::get(durations::Kind::JobDoneWait)) != std::future_status::ready)
        return false;
    thread.join();
    return true;
}

void joinWorker()
{
    auto &thread = session().workerThread;
    if (!thread.joinable())
        return;
    workerstop::request();
    thread.join();
}

bool RunJobAndWait(JobCode code)
{
    auto &s = session();
    s.jobDoneEvent.reset();
    launch(code);
    if (WaitForJobDone())
        return true;
    (void)stopWorker();
    return false;
}

bool WaitForJobDone()
{
    using namespace std::chrono_literals;
    auto &event = session().jobDoneEvent;
    const auto start = std::chrono::steady_clock::now();
    const auto limit = durations::get(durations::Kind::JobDoneWait);
    for (;;) {
        // The job's own calls into the window thread (log lines, hooks) must keep running.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (event.wait(10ms))
            return true;
        if (workerExit.valid() && workerExit.wait_for(0s) == std::future_status::ready)
            return event.wait(0ms);
        if (std::chrono::steady_clock::now() - start > limit)
            return false;
    }
}
