#include "session/session.h"

#include "platform/uithread.h"
#include "session/sessioncontroller.h"

#include <QPointer>

void Session::setStatus(SessionStatus status)
{
    busy_ = isBusy(status);
    if (status_.exchange(status) != status)
        announceState();
}

void Session::settle()
{
    setStatus(connected ? SessionStatus::Idle : SessionStatus::NotConnected);
}

void Session::announceState() const
{
    const auto announce = [controller = QPointer<SessionController>(controller)] {
        if (controller)
            emit controller->stateChanged();
    };
    if (uithread::isUiThread())
        announce();
    else
        uithread::post(announce);
}
