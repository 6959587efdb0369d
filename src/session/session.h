#pragma once

#include "engine/ftpconnection.h"
#include "engine/loginfields.h"
#include "platform/event.h"
#include "session/joboptions.h"
#include "session/connectionlimits.h"
#include "session/jobrequest.h"
#include "session/sessionstatus.h"
#include "session/sessionviews.h"

#include <QByteArray>

#include <atomic>
#include <optional>

class SessionController;

// The FTP session, shared by the window thread and the worker: the connection the engine works
// on, the login in use, where the session stands, and the job. The flags both threads touch are
// atomic; the text fields are written only while no job runs.
class Session : public FtpConnection, public LoginFields
{
public:
    // The one way the session's standing changes: `busy` follows it, and the controller tells its
    // watchers on the window thread when it did change. Any thread.
    void setStatus(SessionStatus status);
    [[nodiscard]] SessionStatus status() const { return status_.load(); }
    // Idle when logged in, not connected otherwise: where a session stands once its job is over.
    void settle();
    // The controller tells its watchers, on the window thread, that the session's state has
    // changed; dropped when the controller has gone by then. Any thread.
    void announceState() const;

    // A job runs, or the session is stopping one.
    [[nodiscard]] bool busy() const { return busy_.load(); }

    std::atomic<bool> listingRunning{false};
    std::atomic<bool> waitCursor{false};
    std::atomic<bool> refreshAfterJob{false};

    // The job running or last started; written by the window thread as it starts one.
    std::optional<JobRequest> job;
    // The folder a running transfer wants listed (the queue job lists it itself).
    QByteArray commandArgument;
    Event jobDoneEvent;

    // The preferences the job runs with besides the engine's `options`, taken as it started.
    JobOptions jobOptions;

    // How many connections each site took, learned in this run of the program.
    ConnectionLimits connectionLimits;

    int replyTimeoutSeconds = 500;
    // The next listing also leaves a copy for the user (the DBGLIST user command).
    bool debugListing = false;

    // The windows the jobs report to; set and cleared on the window thread, read there by the
    // calls the worker posts.
    SessionViews views;
    // The owner, set for the session's whole life by the controller that creates it. The worker's
    // posts hold it by a guarded pointer, never the session itself.
    SessionController *controller = nullptr;

    LoginFields &login() { return *this; }
    const LoginFields &login() const { return *this; }

private:
    std::atomic<SessionStatus> status_{SessionStatus::NotConnected};
    // Mirrors the status for the loops that poll it, without a second source of truth.
    std::atomic<bool> busy_{false};
};

