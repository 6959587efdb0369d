#include "session/session.h"

#include "session/sessioncontroller.h"

void Session::setStatus(SessionStatus status)
{
    busy_ = isBusy(status);
    if (status_.exchange(status) != status)
        AnnounceSessionState();
}

void Session::settle()
{
    setStatus(connected ? SessionStatus::Idle : SessionStatus::NotConnected);
}

Session &session()
{
    static Session state;
    return state;
}
