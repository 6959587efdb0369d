#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QueueTransferJob;
class Session;
class TransferLane;

// The transfer connections of one queue run beside the session's own, each on a thread of its
// own: they log in while the run starts and take file items from the job until it ends. A server
// that refuses some of them leaves the run with those it took, said once in the log, and the
// number is remembered for the site. Whoever leaves the run, normally or not, leaves through
// the destructor: connections still working are cut, every thread is joined, every connection
// closed. The connection the run started on is marked "[1]" in the log while others work beside it.
class TransferLanes
{
public:
    // `connections` counts the one the run started on (the session's own, or its first beside
    // it): 1 starts none.
    TransferLanes(QueueTransferJob &job, Session &s, int connections);
    ~TransferLanes();
    TransferLanes(const TransferLanes &) = delete;
    TransferLanes &operator=(const TransferLanes &) = delete;

    // The connections wanted, the session's own included.
    [[nodiscard]] int count() const { return int(slots_.size()) + 1; }

private:
    struct Slot {
        std::unique_ptr<TransferLane> lane;
        std::thread thread;
        std::atomic<bool> loggingIn{true};
        std::atomic<bool> ended{false};
    };
    void runLane(Slot &slot);
    void loginEnded(bool loggedIn, bool refused);

    QueueTransferJob &job_;
    Session &s_;
    int previousMark_ = 0;
    std::vector<std::unique_ptr<Slot>> slots_;
    int uncaught_ = 0;
    // Set as the run ends: a login cut short now is no refusal of the server's.
    std::atomic<bool> closing_{false};

    std::mutex mutex_;
    int loginsPending_ = 0;
    int loggedIn_ = 0;
    bool refused_ = false;
};
