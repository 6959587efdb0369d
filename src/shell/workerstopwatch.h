#pragma once

class QDialog;

// A question asked for the worker: once that worker is stopped (Abort, Disconnect, the watchdog)
// nobody waits for the answer any more, and the dialog closes without one.
void rejectOnWorkerStop(QDialog *dialog);
