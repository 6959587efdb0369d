#pragma once

// The bodies of the worker's long jobs.
void ConnectJob();
void RefreshJob();
void TransferQueueJob();
