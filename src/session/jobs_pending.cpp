#include "session/jobs.h"

// Placeholders until the connect, refresh and queue jobs land; that change replaces this file.
void ConnectJob() {}
void RefreshJob() {}
void TransferQueueJob() {}
