#include "session/jobs.h"

// Placeholder until the queue job lands; that change replaces this file.
void TransferQueueJob() {}
