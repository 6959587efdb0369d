#pragma once

// The long jobs the worker runs; each runs on the worker thread only.
void ConnectJob();
void RefreshJob();
void TransferQueueJob();
