#include "session/worker.h"

#include "engine/controlconnection.h"
#include "engine/watchdog.h"
#include "platform/durations.h"
#include "platform/log.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/engineoptions.h"
#include "session/ftpprotocol.h"
#include "session/jobs.h"
#include "session/operationsteps.h"
#include "session/queuetransferjob.h"
#include "session/remoteopsjob.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/treedeletejob.h"
#include "session/viewposts.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace
{

// Runs `step` on the window thread, on the session's controller while it lives.
void postToController(const Session &s, void (SessionController::*step)())
{
    viewposts::controller(s, [step](SessionController &controller) { (controller.*step)(); });
}

// One job over the protocol: each request goes to the job that takes it.
class JobRunner
{
public:
    JobRunner(RemoteProtocol &protocol, Session &s) : protocol_(protocol), s_(s) {}

    OperationResult operator()(const ConnectRequest &) { return ConnectJob(protocol_, s_); }
    OperationResult operator()(const RefreshRequest &request) { return RefreshJob(protocol_, s_, request); }
    OperationResult operator()(const RenameRequest &request) { return RenameJob(protocol_, s_, request); }
    OperationResult operator()(const DeleteRequest &request)
    {
        return DeleteItemsJob(protocol_, s_, request);
    }
    OperationResult operator()(const NewFolderRequest &request)
    {
        return NewFolderJob(protocol_, s_, request);
    }
    OperationResult operator()(const MoveRequest &request) { return MoveItemsJob(protocol_, s_, request); }
    OperationResult operator()(const DeleteTreeRequest &request)
    {
        return DeleteTreeJob(protocol_, s_, request);
    }
    OperationResult operator()(const ChangeModeRequest &request)
    {
        if (operationsteps::refuseControlBytes(s_, request.path))
            return {OperationResult::Outcome::Refused};
        const OperationResult result = protocol_.changeMode(request.mode, request.path);
        s_.refreshAfterJob = true;
        return result;
    }
    OperationResult operator()(const StepFolderRequest &request)
    {
        const OperationResult result =
            request.name.isEmpty() ? protocol_.changeToParent() : protocol_.changeFolder(request.name);
        // Refused into a folder the pane still goes on; refused up (550 only) it stays.
        const bool refused = result.outcome == OperationResult::Outcome::Refused &&
                             (request.name.isEmpty() ? result.code == 550 : result.code / 100 == 5);
        if (refused) {
            AppendLog(LogColor::Error, TextId::CannotChangeDirectory);
            s_.beepIfEnabled();
        }
        return result;
    }
    OperationResult operator()(const UserCommandRequest &request)
    {
        if (operationsteps::refuseControlBytes(s_, request.line))
            return {OperationResult::Outcome::Refused};
        // The typed line goes out as it stands, a "%" included.
        return protocol_.rawCommand(request.line);
    }
    OperationResult operator()(const TransferRequest &request)
    {
        return TransferQueueJob(protocol_, s_, request.inputs);
    }
    OperationResult operator()(const QuitRequest &) { return protocol_.close(); }
    OperationResult operator()(const AbortRequest &) { return protocol_.abort(); }
    OperationResult operator()(const ReadPendingReplyRequest &) { return protocol_.readPendingReply(); }

private:
    RemoteProtocol &protocol_;
    Session &s_;
};

} // namespace

Worker::Worker(Session &session, const AppSettings &preferences) : session_(session), preferences_(preferences) {}

Worker::~Worker()
{
    join();
}

void Worker::launch(JobRequest request)
{
    Session &s = session_;
    joinFinished();
    workerstop::clear();
    // Only now: the worker before may have signalled on its way out.
    s.jobDoneEvent.reset();
    s.job = request;
    // The clean-up jobs of Abort and Disconnect are part of the stopping.
    if (s.status() != SessionStatus::Stopping)
        s.setStatus(std::holds_alternative<ConnectRequest>(request) ? SessionStatus::Connecting
                                                                     : SessionStatus::RunningJob);
    // The preferences as they are now hold for the whole job.
    s.options = engineOptions(preferences_);
    s.jobOptions = jobOptions(preferences_);
    watchdog::setExpiryAction([controller = QPointer<SessionController>(s.controller)] {
        if (controller)
            controller->watchdogExpired();
    });
    std::promise<void> exited;
    exit_ = exited.get_future().share();
    thread_ = std::thread([this, exited = std::move(exited), request]() mutable {
        workerstop::beginWorker();
        (void)run(request);
        workerstop::endWorker();
        exited.set_value();
    });
}

void Worker::joinFinished()
{
    if (!thread_.joinable())
        return;
    if (exit_.valid() && exit_.wait_for(durations::get(durations::Kind::JobDoneWait)) != std::future_status::ready)
        workerstop::request();
    thread_.join();
}

OperationResult Worker::run(const JobRequest &request)
{
    Session &s = session_;
    FtpProtocol protocol(s);
    OperationResult result;
    try {
        if (!s.busy())
            s.setStatus(std::holds_alternative<ConnectRequest>(request) ? SessionStatus::Connecting
                                                                         : SessionStatus::RunningJob);
        postToController(s, &SessionController::stopKeepAlive);
        s.refreshAfterJob = false;

        result = std::visit(JobRunner(protocol, s), request);
        // Kept before the session settles: whoever waits for it to be idle reads the result next.
        keepResult(result);

        postToController(s, &SessionController::armKeepAlive);
        if (s.status() != SessionStatus::Stopping)
            s.settle();
        // Posted only now, so that what the pane starts in answer (a listing) finds no job running.
        if (std::holds_alternative<ConnectRequest>(request) && s.connected)
            viewposts::remote(s, [](RemoteListView &view) { view.sessionConnected(); });
        if (s.refreshAfterJob)
            viewposts::remote(s, [](RemoteListView &view) { view.refreshRemote(); });
        if (const auto *step = std::get_if<StepFolderRequest>(&request))
            viewposts::remote(s, [step = *step, result](RemoteListView &view) {
                view.serverFolderStepped(step, result);
            });
    } catch (const ConnectionDropped &) {
        result = {OperationResult::Outcome::ConnectionLost};
        keepResult(result);
        RepairAfterConnectionLost(s);
    } catch (const WorkerStopped &) {
        // Stopped from outside: whoever stopped it repairs the session. A lost connection has
        // nobody else to do it.
        result = {s.connected ? OperationResult::Outcome::Stopped : OperationResult::Outcome::ConnectionLost};
        keepResult(result);
        if (!s.connected)
            RepairAfterConnectionLost(s);
    }
    if (isCleanUpJob(request))
        s.jobDoneEvent.set();
    return result;
}

void Worker::keepResult(const OperationResult &result)
{
    const std::lock_guard lock(resultMutex_);
    lastResult_ = result;
}

bool Worker::start(const JobRequest &request, BusyMessage busyMessage)
{
    if (session_.busy()) {
        if (busyMessage == BusyMessage::Log)
            AppendLog(LogColor::Error, TextId::JobNotFinished);
        return false;
    }
    launch(request);
    return true;
}

OperationResult Worker::lastResult() const
{
    const std::lock_guard lock(resultMutex_);
    return lastResult_;
}

bool Worker::running() const
{
    return thread_.joinable() && exit_.valid() && exit_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

bool Worker::stop()
{
    if (!thread_.joinable())
        return true;
    workerstop::request();
    if (exit_.valid() && exit_.wait_for(durations::get(durations::Kind::JobDoneWait)) != std::future_status::ready)
        return false;
    thread_.join();
    return true;
}

void Worker::join()
{
    if (!thread_.joinable())
        return;
    workerstop::request();
    thread_.join();
}

OperationResult Worker::runAndWait(const JobRequest &request, Deadline deadline)
{
    launch(request);
    if (waitForJobDone(deadline))
        return lastResult();
    (void)stop();
    return {OperationResult::Outcome::Stopped};
}

bool Worker::waitForJobDone(Deadline deadline)
{
    using namespace std::chrono_literals;
    auto &event = session_.jobDoneEvent;
    for (;;) {
        // The job's own calls into the window thread (log lines, views) must keep running.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (event.wait(10ms))
            return true;
        if (exit_.valid() && exit_.wait_for(0s) == std::future_status::ready)
            return event.wait(0ms);
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    }
}

Deadline cleanUpDeadline()
{
    return std::chrono::steady_clock::now() + durations::get(durations::Kind::JobDoneWait);
}
