#include "session/transferrun.h"

#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/session.h"
#include "session/transferlane.h"

#include <chrono>

TransferRun::TransferRun(Session &s) : s_(s) {}

TransferRun::~TransferRun()
{
    stop(cleanUpDeadline());
}

void TransferRun::start(const TransferInputs &inputs, const RunPlace &place, SessionController *statusBar,
                        std::function<void()> ended)
{
    stop(cleanUpDeadline());
    inputs_ = inputs;
    ended_ = false;
    notLoggedIn_ = false;
    refused_ = false;
    disconnect_ = false;
    lane_ = std::make_unique<TransferLane>(1, s_, place.options);
    lane_->showProgressInStatusBar(statusBar);
    thread_ = std::thread([this, lane = lane_.get(), place, ended = std::move(ended)] {
        workerstop::beginWorker();
        try {
            runOn(*lane, place);
        } catch (const WorkerStopped &) {
            // Stopped, or its connection broke: what was not done stays queued.
        }
        workerstop::endWorker();
        ended_ = true;
        uithread::post(ended);
    });
}

void TransferRun::runOn(TransferLane &lane, RunPlace place)
{
    const TransferLane::Opened opened = lane.open();
    if (opened != TransferLane::Opened::LoggedIn) {
        refused_ = opened == TransferLane::Opened::Refused;
        notLoggedIn_ = true;
        return;
    }
    // Its listings must not meet the session's in the one listing file.
    lane.useOwnListingFile();
    place.startFolder = lane.startFolder();
    QueueTransferJob job(lane.protocol(), lane.connection(), s_, inputs_, std::move(place));
    (void)job.run();
    disconnect_ = job.disconnectRequested();
    lane.quit();
}

std::optional<TransferRun::Outcome> TransferRun::finish()
{
    // The end of a run stopped before this one started may arrive while this one goes on.
    if (!thread_.joinable() || !ended_)
        return std::nullopt;
    joinAndClose();
    return Outcome{inputs_, notLoggedIn_, refused_, disconnect_};
}

void TransferRun::joinAndClose()
{
    thread_.join();
    lane_->close();
    // Destroyed here, on the window thread, after the read-outs it posted.
    lane_.reset();
}

void TransferRun::stop(Deadline deadline)
{
    using namespace std::chrono_literals;
    if (!thread_.joinable())
        return;
    workerstop::request();
    while (!ended_ && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    // Whatever still waits on the run's first connection ends with its sockets; the others
    // beside it end with the run, which cuts them in turn.
    if (!ended_)
        lane_->interrupt();
    joinAndClose();
}
