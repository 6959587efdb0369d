#pragma once

#include "platform/uithread.h"
#include "session/session.h"
#include "session/sessioncontroller.h"

#include <QPointer>

#include <utility>

// Calls into the windows of a session from any thread: posted to the window thread in call
// order, and dropped when the session's controller or the window has gone by the time the call
// runs. Only a guarded pointer to the controller travels, never the session.
namespace viewposts
{

template <typename Call> void remote(const Session &s, Call call)
{
    uithread::post([controller = QPointer<SessionController>(s.controller), call = std::move(call)] {
        if (controller)
            if (RemoteListView *view = controller->views().remote)
                call(*view);
    });
}

template <typename Call> void local(const Session &s, Call call)
{
    uithread::post([controller = QPointer<SessionController>(s.controller), call = std::move(call)] {
        if (controller)
            if (LocalPaneView *view = controller->views().local)
                call(*view);
    });
}

template <typename Call> void status(const Session &s, Call call)
{
    uithread::post([controller = QPointer<SessionController>(s.controller), call = std::move(call)] {
        if (controller)
            if (StatusView *view = controller->views().status)
                call(*view);
    });
}

// The same for the controller itself.
template <typename Call> void controller(const Session &s, Call call)
{
    uithread::post([controller = QPointer<SessionController>(s.controller), call = std::move(call)] {
        if (controller)
            call(*controller);
    });
}

// Sets the session's wait-cursor flag at once and shows or hides the cursor on the remote pane.
void setWaitCursor(Session &s, bool on);

} // namespace viewposts
