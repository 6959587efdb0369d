#pragma once

// Where the session stands, as the windows see it. A job of any kind (the login's included) makes
// the session busy; Stopping covers Abort and Disconnect while they end the job.
enum class SessionStatus { NotConnected, Connecting, Idle, RunningJob, Stopping };

[[nodiscard]] constexpr bool isBusy(SessionStatus status)
{
    return status == SessionStatus::Connecting || status == SessionStatus::RunningJob ||
           status == SessionStatus::Stopping;
}
