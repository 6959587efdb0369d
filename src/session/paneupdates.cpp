#include "session/paneupdates.h"

#include "platform/uithread.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"

namespace paneupdates
{

void setWaitCursor(bool on)
{
    session().waitCursor = on;
    uithread::post([on] {
        if (sessionHooks().setWaitCursor)
            sessionHooks().setWaitCursor(on);
    });
}

void clearRemoteList()
{
    uithread::post([] {
        if (sessionHooks().clearRemotePathBox)
            sessionHooks().clearRemotePathBox();
        if (sessionHooks().clearRemoteList)
            sessionHooks().clearRemoteList();
    });
}

void setRemotePath(const QByteArray &path)
{
    uithread::post([path] {
        if (sessionHooks().setRemotePath)
            sessionHooks().setRemotePath(path);
    });
}

} // namespace paneupdates
