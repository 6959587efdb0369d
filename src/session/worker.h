#pragma once

#include "session/jobcode.h"

// Interim worker interface (the worker proper replaces this file).
void SessionThreadProc();
bool startWorker(JobCode code);
void stopWorker();
bool RunJobAndWait(JobCode code);
bool WaitForJobDone();
