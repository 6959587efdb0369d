#include "session/transferlanes.h"

#include "platform/log.h"
#include "platform/uithread.h"
#include "platform/workerstop.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/transferlane.h"

#include <chrono>
#include <exception>

TransferLanes::TransferLanes(QueueTransferJob &job, Session &s, int connections)
    : job_(job), s_(s), previousMark_(logConnectionMark()), uncaught_(std::uncaught_exceptions())
{
    if (connections <= 1)
        return;
    setLogConnectionMark(1);
    AppendLog(LogColor::Status, TextId::TransferringOnConnections, connections);
    loginsPending_ = connections - 1;
    for (int number = 2; number <= connections; ++number) {
        auto slot = std::make_unique<Slot>();
        slot->lane = std::make_unique<TransferLane>(number, s, job.place().options);
        slots_.push_back(std::move(slot));
    }
    for (const auto &slot : slots_)
        slot->thread = std::thread([this, slot = slot.get()] { runLane(*slot); });
}

TransferLanes::~TransferLanes()
{
    using namespace std::chrono_literals;
    closing_ = true;
    // Left by a stop, a lost connection or a failure: the others must not go on meanwhile. At a
    // normal end only a login still waiting for its server is cut (nothing else is left to do).
    const bool abandoned = std::uncaught_exceptions() > uncaught_;
    if (abandoned)
        job_.endRun();
    for (const auto &slot : slots_) {
        // Again until it ends: a socket opened after one cut is cut the next time round.
        while (!slot->ended) {
            // A stop request ends every wait by itself, without each connection breaking.
            if ((abandoned || slot->loggingIn) && !workerstop::requested())
                slot->lane->interrupt();
            std::this_thread::sleep_for(5ms);
        }
        slot->thread.join();
    }
    // Each connection is closed here, after its thread, and goes on the window thread: a
    // progress read-out of it may still be on its way there.
    for (const auto &slot : slots_) {
        slot->lane->close();
        uithread::post([lane = std::shared_ptr<TransferLane>(std::move(slot->lane))] {});
    }
    slots_.clear();
    setLogConnectionMark(previousMark_);
}

void TransferLanes::runLane(Slot &slot)
{
    TransferLane &lane = *slot.lane;
    workerstop::beginWorker();
    setLogConnectionMark(lane.number());
    try {
        const TransferLane::Opened opened = lane.open();
        slot.loggingIn = false;
        loginEnded(opened == TransferLane::Opened::LoggedIn, opened == TransferLane::Opened::Refused);
        if (opened == TransferLane::Opened::LoggedIn) {
            QueueTransferJob::Lane side{lane.protocol(), lane.connection(), lane.number(), lane.startFolder(), false, {}};
            job_.runLane(side);
            lane.quit();
        }
    } catch (const WorkerStopped &) {
        // Stopped, or its connection broke: the item it held went back to the others.
    }
    slot.loggingIn = false;
    setLogConnectionMark(0);
    workerstop::endWorker();
    slot.ended = true;
}

void TransferLanes::loginEnded(bool loggedIn, bool refused)
{
    const std::lock_guard lock(mutex_);
    --loginsPending_;
    loggedIn_ += loggedIn ? 1 : 0;
    refused_ = refused_ || (refused && !closing_);
    if (loginsPending_ > 0 || !refused_)
        return;
    // The run's first connection, and beside the session its own as well.
    const int used = loggedIn_ + 1 + (job_.place().besideSession ? 1 : 0);
    s_.connectionLimits.remember(s_.login(), used);
    AppendLog(LogColor::Status, TextId::MoreConnectionsRefused, used);
}
