#pragma once

#include "session/jobcode.h"
#include "session/remoteoperation.h"

#include <QByteArray>

// The remote file operations as worker jobs. Each logs what it does, reports a refusal per row
// in dark red with a beep and goes on with the next row, and lists the folder again when the
// server changed it. A stop (Abort) ends them between two commands. Worker thread.

// items[0] renamed to text.
void RenameJob(const RemoteOperation &operation);
// Every item deleted: files with DELE, (empty) folders with RMD; links are left alone.
void DeleteItemsJob(const RemoteOperation &operation);
// The folder text made in folder.
void NewFolderJob(const RemoteOperation &operation);
// Every item moved into the destination folder text.
void MoveItemsJob(const RemoteOperation &operation);

// The worker's entry for these jobs and the tree delete: the argument is a RemoteOperation.
void RemoteOperationJob(JobCode code, const QByteArray &argument);
