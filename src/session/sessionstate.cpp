#include "session/sessionstate.h"

#include <cstring>

QByteArray SessionState::replyText() const
{
    return QByteArray(replyBuffer.data(), int(strnlen(replyBuffer.data(), replyBuffer.size())));
}

SessionState &session()
{
    static SessionState state;
    return state;
}

#include "session/sessionhooks.h"

SessionHooks &sessionHooks()
{
    static SessionHooks hooks;
    return hooks;
}
