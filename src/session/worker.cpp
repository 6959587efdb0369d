#include "session/worker.h"

#include "engine/controlconnection.h"
#include "engine/watchdog.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/engineoptions.h"
#include "session/jobs.h"
#include "session/remoteopsjob.h"
#include "session/sessioncontroller.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <future>

namespace
{

// Ready once the current worker has left SessionThreadProc. Window thread only.
std::shared_future<void> workerExit;

void runJob(JobCode code, const QByteArray &argument)
{
    auto &s = session();
    switch (code) {
    case JobCode::Connect:
        ConnectJob();
        break;
    case JobCode::Disconnect:
        (void)SendCommand(s, "QUIT");
        s.jobDoneEvent.set();
        break;
    case JobCode::Refresh:
        RefreshJob(argument);
        break;
    case JobCode::ReadPendingReply:
        ReadPendingReply(s);
        s.jobDoneEvent.set();
        break;
    case JobCode::TransferQueue:
        TransferQueueJob();
        break;
    case JobCode::Abort:
        (void)SendCommand(s, "ABOR");
        s.jobDoneEvent.set();
        break;
    case JobCode::UserCommand:
        // The typed line goes out as it stands, a "%" included.
        (void)SendCommand(s, argument);
        break;
    case JobCode::ChangeAttribute:
        (void)SendCommand(s, argument);
        s.refreshAfterJob = true;
        break;
    case JobCode::NewFolder:
    case JobCode::RenameItem:
    case JobCode::DeleteItems:
    case JobCode::MoveItems:
    case JobCode::DeleteTree:
        RemoteOperationJob(code, argument);
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

void launch(JobCode code, const QByteArray &argument = {})
{
    auto &s = session();
    joinFinishedWorker();
    workerstop::clear();
    s.jobCode = code;
    s.busy = true;
    // The preferences as they are now hold for the whole job.
    s.options = engineOptions();
    watchdog::setExpiryAction(WatchdogTimerProc);
    AnnounceSessionState();
    std::promise<void> exited;
    workerExit = exited.get_future().share();
    registerShutdownJoin();
    s.workerThread = std::thread([exited = std::move(exited), argument]() mutable {
        workerstop::beginWorker();
        SessionThreadProc(argument);
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

int SessionThreadProc(const QByteArray &argument)
{
    auto &s = session();
    try {
        s.busy = true;
        uithread::post([] {
            if (SessionController *controller = session().controller)
                controller->stopKeepAlive();
        });
        s.refreshAfterJob = false;

        runJob(s.jobCode, argument);

        uithread::post([] {
            if (SessionController *controller = session().controller)
                controller->armKeepAlive();
        });
        s.busy = false;
        AnnounceSessionState();
        // Posted only now, so that what the pane starts in answer (a listing) finds no job running.
        if (s.jobCode == JobCode::Connect && s.connected)
            viewposts::remote([](RemoteListView &view) { view.sessionConnected(); });
        if (s.refreshAfterJob)
            viewposts::remote([](RemoteListView &view) { view.refreshRemote(); });
    } catch (const WorkerStopped &) {
        // Stopped from outside: whoever stopped it repairs the session. A lost connection has
        // nobody else to do it.
        if (!s.connected)
            RepairAfterConnectionLost();
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
    launch(code, argument);
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
    return RunJobAndWait(code, cleanUpDeadline());
}

bool RunJobAndWait(JobCode code, Deadline deadline)
{
    auto &s = session();
    s.jobDoneEvent.reset();
    launch(code);
    if (WaitForJobDone(deadline))
        return true;
    (void)stopWorker();
    return false;
}

bool WaitForJobDone()
{
    return WaitForJobDone(cleanUpDeadline());
}

bool WaitForJobDone(Deadline deadline)
{
    using namespace std::chrono_literals;
    auto &event = session().jobDoneEvent;
    for (;;) {
        // The job's own calls into the window thread (log lines, views) must keep running.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (event.wait(10ms))
            return true;
        if (workerExit.valid() && workerExit.wait_for(0s) == std::future_status::ready)
            return event.wait(0ms);
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    }
}

Deadline cleanUpDeadline()
{
    return std::chrono::steady_clock::now() + durations::get(durations::Kind::JobDoneWait);
}
