#include "testviews.h"

#include "session/sessionstate.h"

namespace testsupport
{

TestViews::TestViews()
{
    SessionState &s = session();
    s.views = {this, this, this, this};
    s.host = this;
}

TestViews::~TestViews()
{
    SessionState &s = session();
    if (s.views.remote == this)
        s.views = {};
    if (s.host == this)
        s.host = nullptr;
}

} // namespace testsupport
