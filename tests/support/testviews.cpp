#include "testviews.h"

#include "sessionreset.h"

#include "session/session.h"
#include "session/sessioncontroller.h"

namespace testsupport
{

TestViews::TestViews() : TestViews(controller()) {}

TestViews::TestViews(SessionController &controller) : session_(controller.session())
{
    session_.views = {this, this, this, this};
    session_.host = this;
}

TestViews::~TestViews()
{
    if (session_.views.remote == this)
        session_.views = {};
    if (session_.host == this)
        session_.host = nullptr;
}

} // namespace testsupport
