#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

#include <QByteArray>

#include <chrono>

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

// Window thread: runs one of the clean-up jobs (QUIT, ABOR, the pending reply) and waits for its
// jobDoneEvent; a job that does not signal in time is stopped and its result is Stopped.
OperationResult RunJobAndWait(const JobRequest &request);
// The same within a deadline shared by several clean-up steps (Disconnect, Abort, Exit).
using Deadline = std::chrono::steady_clock::time_point;
OperationResult RunJobAndWait(const JobRequest &request, Deadline deadline);
// Now plus the clean-up bound (durations::Kind::JobDoneWait, 3500 ms).
[[nodiscard]] Deadline cleanUpDeadline();

// Waits for jobDoneEvent at most durations::Kind::JobDoneWait while the window thread keeps
// processing its events. False on time-out, or as soon as the worker ended without signalling.
[[nodiscard]] bool WaitForJobDone();
[[nodiscard]] bool WaitForJobDone(Deadline deadline);
