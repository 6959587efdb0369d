#pragma once

#include "session/queuetransferjob.h"
#include "session/transferinputs.h"
#include "session/worker.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class Session;
class SessionController;
class TransferLane;

// A queue run on connections of its own, driven from a thread of its own: the session's
// connection and worker stay free for the user's browsing and remote operations while the files
// move. The run logs in first on one connection (which expands folders and takes files, the
// others beside it take files only); a server that refuses that login leaves the run to the
// session's own connection, as the caller decides. Window thread, except the run itself.
class TransferRun
{
public:
    explicit TransferRun(Session &s);
    // Stops a run still going and joins it.
    ~TransferRun();
    TransferRun(const TransferRun &) = delete;
    TransferRun &operator=(const TransferRun &) = delete;

    // Starts the run; `ended` is posted to the window thread once its thread has left the run.
    // `statusBar` shows the first connection's read-outs.
    void start(const TransferInputs &inputs, const RunPlace &place, SessionController *statusBar,
               std::function<void()> ended);
    // A thread exists that has not been joined.
    [[nodiscard]] bool running() const { return thread_.joinable(); }

    struct Outcome {
        TransferInputs inputs;
        // The run's first login did not succeed: nothing was transferred.
        bool notLoggedIn = false;
        // The server refused it (421, 530, closed at once) rather than failing.
        bool refused = false;
        // The user said Yes to ending the session after the run.
        bool disconnectRequested = false;
    };
    // After `ended`: joins the thread and closes the connection; nullopt when no ended run is left
    // to finish (a stop came first, or the call is a stopped run's, late, while another goes on).
    [[nodiscard]] std::optional<Outcome> finish();
    // Asks the run to stop and waits for it until `deadline`; past it its sockets are cut, which
    // ends any wait at once. The thread is joined and the connection closed either way.
    void stop(Deadline deadline);

private:
    void runOn(TransferLane &lane, RunPlace place);
    void joinAndClose();

    Session &s_;
    TransferInputs inputs_;
    std::unique_ptr<TransferLane> lane_;
    std::thread thread_;
    // Written by the run's thread before it ends, read once it has.
    std::atomic<bool> ended_{false};
    std::atomic<bool> notLoggedIn_{false};
    std::atomic<bool> refused_{false};
    std::atomic<bool> disconnect_{false};
};
