#include "session/viewposts.h"

namespace viewposts
{

void setWaitCursor(Session &s, bool on)
{
    s.waitCursor = on;
    remote(s, [on](RemoteListView &view) { view.setWaitCursor(on); });
}

} // namespace viewposts
