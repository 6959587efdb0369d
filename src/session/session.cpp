#include "session/session.h"

#include "session/sessioncontroller.h"

#include <utility>

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

namespace
{
Session *current = nullptr;
} // namespace

Session &session()
{
    static Session withoutController;
    return current ? *current : withoutController;
}

Session *makeCurrentSession(Session *session)
{
    return std::exchange(current, session);
}
