#include "session/transferlanes.h"

#include "platform/log.h"
#include "platform/workerstop.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/transferlane.h"

#include <exception>

TransferLanes::TransferLanes(QueueTransferJob &job, Session &s, int connections)
    : job_(job), s_(s), previousMark_(logConnectionMark()), uncaught_(std::uncaught_exceptions())
{
    if (connections <= 1)
        return;
    setLogConnectionMark(1);
    AppendLog(LogColor::Status, TextId::TransferringOnConnections, connections);
    loginsPending_ = connections - 1;
    for (int number = 2; number <= connections; ++number)
        lanes_.push_back(std::make_unique<TransferLane>(number, s));
    threads_.reserve(lanes_.size());
    for (const auto &lane : lanes_)
        threads_.emplace_back([this, lane = lane.get()] { runLane(*lane); });
}

TransferLanes::~TransferLanes()
{
    // Left by a stop, a lost connection or a failure: the others must not go on meanwhile.
    if (std::uncaught_exceptions() > uncaught_) {
        job_.endRun();
        for (const auto &lane : lanes_)
            lane->interrupt();
    }
    for (std::thread &thread : threads_)
        thread.join();
    // Each connection is closed here, after its thread.
    lanes_.clear();
    setLogConnectionMark(previousMark_);
}

void TransferLanes::runLane(TransferLane &lane)
{
    workerstop::beginWorker();
    setLogConnectionMark(lane.number());
    try {
        const TransferLane::Opened opened = lane.open();
        loginEnded(opened == TransferLane::Opened::LoggedIn, opened == TransferLane::Opened::Refused);
        if (opened == TransferLane::Opened::LoggedIn) {
            QueueTransferJob::Lane side{lane.protocol(), lane.connection(), lane.number(), lane.startFolder(), false, {}};
            job_.runLane(side);
            lane.quit();
        }
    } catch (const WorkerStopped &) {
        // Stopped, or its connection broke: the item it held went back to the others.
    }
    setLogConnectionMark(0);
    workerstop::endWorker();
}

void TransferLanes::loginEnded(bool loggedIn, bool refused)
{
    const std::lock_guard lock(mutex_);
    --loginsPending_;
    loggedIn_ += loggedIn ? 1 : 0;
    refused_ = refused_ || refused;
    if (loginsPending_ > 0 || !refused_)
        return;
    const int used = loggedIn_ + 1;
    s_.connectionLimits.remember(s_.login(), used);
    AppendLog(LogColor::Status, TextId::MoreConnectionsRefused, used);
}
