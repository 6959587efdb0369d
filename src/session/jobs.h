#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

class RemoteProtocol;
struct SessionState;

// The long jobs the worker runs; each runs on the worker thread only.
OperationResult ConnectJob(RemoteProtocol &protocol, SessionState &s);
// Changes to the folder (unless the server's folder follows the pane) and lists it.
OperationResult RefreshJob(RemoteProtocol &protocol, SessionState &s, const RefreshRequest &request);
