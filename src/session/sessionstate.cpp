#include "session/sessionstate.h"

SessionState &session()
{
    static SessionState state;
    return state;
}
