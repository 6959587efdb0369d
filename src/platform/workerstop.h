#pragma once

// Cooperative stop of the one worker thread. Every place where the worker can block waits
// through a helper that also watches the stop request; once it is set, the helper throws
// WorkerStopped, which only the worker's entry routine catches. The stopper joins the worker
// and repairs the session state itself.
struct WorkerStopped {
};

namespace workerstop {

// Marks the calling thread as the worker and clears an earlier request. Called first thing
// on every new worker thread, before the previous worker's request could be mistaken for its own.
void beginWorker();
// Called by the worker on its way out.
void endWorker();
// True on the worker thread.
bool onWorker();

// Any thread: ask the worker to stop. Wakes every interruptible wait.
void request();
bool requested();
// Clears the request; called by the starter before a new worker begins.
void clear();

// A descriptor that polls readable while a stop is requested.
int wakeDescriptor();

// On the worker with a stop requested: throw WorkerStopped. Elsewhere: nothing.
void throwIfRequested();

} // namespace workerstop
