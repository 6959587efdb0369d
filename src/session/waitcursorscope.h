#pragma once

#include "session/viewposts.h"

// The wait cursor for the length of a job's work; it goes again on every way out, a stop and a
// lost connection (which leave by an exception) included.
class WaitCursorScope
{
public:
    explicit WaitCursorScope(Session &s) : s_(s) { viewposts::setWaitCursor(s, true); }
    ~WaitCursorScope() { viewposts::setWaitCursor(s_, false); }
    WaitCursorScope(const WaitCursorScope &) = delete;
    WaitCursorScope &operator=(const WaitCursorScope &) = delete;

private:
    Session &s_;
};
