#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

class RemoteProtocol;
class Session;

// The long jobs the worker runs; each runs on the worker thread only.
OperationResult ConnectJob(RemoteProtocol &protocol, Session &s);
// Changes to the folder (unless the server's folder follows the pane) and lists it.
OperationResult RefreshJob(RemoteProtocol &protocol, Session &s, const RefreshRequest &request);
