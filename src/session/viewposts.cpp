#include "session/viewposts.h"

namespace viewposts
{

void setWaitCursor(bool on)
{
    session().waitCursor = on;
    remote([on](RemoteListView &view) { view.setWaitCursor(on); });
}

} // namespace viewposts
