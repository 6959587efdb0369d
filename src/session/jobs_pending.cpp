#include "session/jobs.h"

void TransferQueueJob() {}
