#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

class RemoteProtocol;
class Session;

// Removes the folder `top` of `folder` with everything below it: each folder is entered and
// listed once, emptied (its subfolders first, then its files), left with CDUP and removed; at
// the end the folder that held it is listed again. The walk never enters a folder twice and
// never follows a link or a name that is not a plain name, the top folder included; at the first
// folder the server will not remove (or enter, or list) it stops, says where, and lists that
// folder, so the user sees what is left. Refused when the tree was not removed whole. Worker thread.
OperationResult DeleteTreeJob(RemoteProtocol &protocol, Session &s, const DeleteTreeRequest &request);
