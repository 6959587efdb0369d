#pragma once

#include <QByteArray>

// The long jobs the worker runs; each runs on the worker thread only.
void ConnectJob();
// Changes to `path` (unless the server's folder follows the pane) and lists it.
void RefreshJob(const QByteArray &path);
