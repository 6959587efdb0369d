#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

#include <QByteArray>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

class Session;

// The worker thread: one job at a time, started by the window thread, stopped only from outside
// (Abort, Disconnect, the watchdog) through workerstop, and always joined.

// The worker's entry routine: runs the job over the session's FTP connection, turns a stop or a
// lost connection into its result, then re-arms the keep-alive.
OperationResult SessionThreadProc(const JobRequest &request);

// Window thread. Starts the job on a new worker unless a job runs; then it logs "Current job is
// not finished yet." (unless told not to) and returns false. Windows ask the session controller.
enum class BusyMessage { Log, Silent };
[[nodiscard]] bool StartJob(const JobRequest &request, BusyMessage busyMessage = BusyMessage::Log);

// Window thread: what the last job that ended gave back.
[[nodiscard]] OperationResult lastJobResult();

// True while a worker thread exists that has not yet left SessionThreadProc.
[[nodiscard]] bool workerRunning();

// Window thread: asks the worker to stop and waits for it a bounded time (the clean-up job wait).
// True when it has ended and was joined; a worker that did not end in time is joined before the
// next one starts.
bool stopWorker();

// Window thread: asks the worker to stop and joins it without a bound (shut-down, tests).
void joinWorker();

using Deadline = std::chrono::steady_clock::time_point;

// The worker thread of one session, owned by the session's controller: one job at a time. The
// free functions here reach the current session's worker.
class Worker
{
public:
    explicit Worker(Session &session);
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    [[nodiscard]] bool start(const JobRequest &request, BusyMessage busyMessage = BusyMessage::Log);
    // The job itself, on the calling thread (the worker's entry routine).
    OperationResult run(const JobRequest &request);
    [[nodiscard]] OperationResult lastResult() const;
    [[nodiscard]] bool running() const;
    bool stop();
    void join();
    OperationResult runAndWait(const JobRequest &request, Deadline deadline);
    [[nodiscard]] bool waitForJobDone(Deadline deadline);

private:
    void launch(JobRequest request);
    void keepResult(const OperationResult &result);
    // A worker that has signalled its job as done may still be on its last steps; it gets the
    // clean-up bound to finish by itself before it is asked to stop.
    void joinFinished();

    Session &session_;
    // Window thread only.
    std::thread thread_;
    // Ready once the thread has left the job.
    std::shared_future<void> exit_;
    // Written by the worker as it leaves the job, read by the window thread.
    mutable std::mutex resultMutex_;
    OperationResult lastResult_;
};

// Window thread: runs one of the clean-up jobs (QUIT, ABOR, the pending reply) and waits for its
// jobDoneEvent; a job that does not signal in time is stopped and its result is Stopped.
OperationResult RunJobAndWait(const JobRequest &request);
// The same within a deadline shared by several clean-up steps (Disconnect, Abort, Exit).
OperationResult RunJobAndWait(const JobRequest &request, Deadline deadline);
// Now plus the clean-up bound (durations::Kind::JobDoneWait, 3500 ms).
[[nodiscard]] Deadline cleanUpDeadline();

// Waits for jobDoneEvent at most durations::Kind::JobDoneWait while the window thread keeps
// processing its events. False on time-out, or as soon as the worker ended without signalling.
[[nodiscard]] bool WaitForJobDone();
[[nodiscard]] bool WaitForJobDone(Deadline deadline);
