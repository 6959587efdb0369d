#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

#include <QByteArray>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

class Session;

enum class BusyMessage { Log, Silent };

using Deadline = std::chrono::steady_clock::time_point;

// The worker thread of one session, owned by the session's controller: one job at a time,
// started by the window thread, stopped only from outside (Abort, Disconnect, the watchdog)
// through workerstop, and always joined.
struct AppSettings;

class Worker
{
public:
    // `preferences` are read as each job starts, on the window thread.
    Worker(Session &session, const AppSettings &preferences);
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    // Window thread. Starts the job on a new thread unless a job runs; then it logs "Current job
    // is not finished yet." (unless told not to) and returns false. Windows ask the controller,
    // which gives the job its inputs first.
    [[nodiscard]] bool start(const JobRequest &request, BusyMessage busyMessage = BusyMessage::Log);
    // The job itself, on the calling thread (the worker's entry routine): runs it over the
    // session's FTP connection, turns a stop or a lost connection into its result, then re-arms
    // the keep-alive.
    OperationResult run(const JobRequest &request);
    // Window thread: what the last job that ended gave back.
    [[nodiscard]] OperationResult lastResult() const;
    // True while a thread exists that has not yet left its job.
    [[nodiscard]] bool running() const;
    // Window thread: asks the worker to stop and waits for it a bounded time (the clean-up job
    // wait). True when it has ended and was joined; a worker that did not end in time is joined
    // before the next one starts.
    bool stop();
    // Window thread: asks the worker to stop and joins it without a bound (shut-down, tests).
    void join();
    // Window thread: runs one of the clean-up jobs (QUIT, ABOR, the pending reply) and waits for
    // its jobDoneEvent within a deadline that several clean-up steps share (Disconnect, Abort,
    // Exit); a job that does not signal in time is stopped and its result is Stopped.
    OperationResult runAndWait(const JobRequest &request, Deadline deadline);
    // Waits for jobDoneEvent until the deadline while the window thread keeps processing its
    // events. False on time-out, or as soon as the worker ended without signalling.
    [[nodiscard]] bool waitForJobDone(Deadline deadline);

private:
    void launch(JobRequest request);
    void keepResult(const OperationResult &result);
    // A worker that has signalled its job as done may still be on its last steps; it gets the
    // clean-up bound to finish by itself before it is asked to stop.
    void joinFinished();

    Session &session_;
    const AppSettings &preferences_;
    // Window thread only.
    std::thread thread_;
    // Ready once the thread has left the job.
    std::shared_future<void> exit_;
    // Written by the worker as it leaves the job, read by the window thread.
    mutable std::mutex resultMutex_;
    OperationResult lastResult_;
};

// Now plus the clean-up bound (durations::Kind::JobDoneWait, 3500 ms).
[[nodiscard]] Deadline cleanUpDeadline();
