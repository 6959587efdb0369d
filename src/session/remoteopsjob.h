#pragma once

#include "session/jobrequest.h"
#include "session/operationresult.h"

class RemoteProtocol;
class Session;

// The remote file operations as worker jobs. Each logs what it does, reports a refusal per row
// in dark red with a beep and goes on with the next row, and lists the folder again when the
// server changed it. A stop (Abort) ends them between two commands. A typed name or destination
// that would break the command line is refused before anything is sent, whoever asked. The result
// is Done when the server did everything asked, else the last refusal. Worker thread.

OperationResult RenameJob(RemoteProtocol &protocol, Session &s, const RenameRequest &request);
// Every row deleted: files with DELE, (empty) folders with RMD; links are left alone.
OperationResult DeleteItemsJob(RemoteProtocol &protocol, Session &s, const DeleteRequest &request);
OperationResult NewFolderJob(RemoteProtocol &protocol, Session &s, const NewFolderRequest &request);
// Every row moved into the destination folder.
OperationResult MoveItemsJob(RemoteProtocol &protocol, Session &s, const MoveRequest &request);
