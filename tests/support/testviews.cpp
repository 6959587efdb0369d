#include "testviews.h"

#include "session/session.h"

namespace testsupport
{

TestViews::TestViews()
{
    Session &s = session();
    s.views = {this, this, this, this};
    s.host = this;
}

TestViews::~TestViews()
{
    Session &s = session();
    if (s.views.remote == this)
        s.views = {};
    if (s.host == this)
        s.host = nullptr;
}

} // namespace testsupport
