#pragma once

#include "session/existingfileanswer.h"

// The preferences a job works with besides the engine's own, taken on the window thread as the
// job starts: the Preferences dialog may change them while it runs.
struct JobOptions {
    // 0: by the file's extension, 1: binary, 2: ASCII.
    int transferMode = 0;
    AfterTransferAction afterTransfer = AfterTransferAction::None;
    bool passive = true;
    int retryCount = 0;
    int retryDelaySeconds = 0;
    // Compare the file's hash with the server's after each transfer, where the server offers one.
    bool verifyChecksums = true;
    // Connections a queue run transfers on, the session's own included.
    int simultaneousTransfers = 1;
};
