#pragma once

#include "platform/uithread.h"
#include "session/session.h"

#include <utility>

// Calls into the windows from any thread: posted to the window thread in call order, and dropped
// when the window has gone by the time the call runs.
namespace viewposts
{

template <typename Call> void remote(Call call)
{
    uithread::post([call = std::move(call)] {
        if (RemoteListView *view = session().views.remote)
            call(*view);
    });
}

template <typename Call> void local(Call call)
{
    uithread::post([call = std::move(call)] {
        if (LocalPaneView *view = session().views.local)
            call(*view);
    });
}

template <typename Call> void status(Call call)
{
    uithread::post([call = std::move(call)] {
        if (StatusView *view = session().views.status)
            call(*view);
    });
}

// Sets the session's wait-cursor flag at once and shows or hides the cursor on the remote pane.
void setWaitCursor(bool on);

} // namespace viewposts
