#pragma once

#include "engine/ftpconnection.h"
#include "engine/loginfields.h"
#include "platform/event.h"
#include "session/jobrequest.h"
#include "session/sessionviews.h"

#include <QByteArray>

#include <atomic>
#include <optional>
#include <thread>

class SessionController;

// The one record of the FTP session, shared by the window thread and the worker: the connection
// the engine works on, the login in use, and the session's own flags and job. The flags both
// threads touch are atomic; the text fields are written only while no job runs.
struct SessionState : FtpConnection, LoginFields {
    std::atomic<bool> busy{false};
    std::atomic<bool> listingRunning{false};
    std::atomic<bool> waitCursor{false};
    std::atomic<bool> refreshAfterJob{false};

    // The job running or last started; written by the window thread as it starts one.
    std::optional<JobRequest> job;
    // The folder a running transfer wants listed (the queue job lists it itself).
    QByteArray commandArgument;
    std::thread workerThread;
    Event jobDoneEvent;

    int replyTimeoutSeconds = 500;
    // The next listing also leaves a copy for the user (the DBGLIST user command).
    bool debugListing = false;

    // The windows the jobs report to; set and cleared on the window thread, read there by the
    // calls the worker posts.
    SessionViews views;
    SessionController *controller = nullptr;

    LoginFields &login() { return *this; }
    const LoginFields &login() const { return *this; }
};

SessionState &session();
