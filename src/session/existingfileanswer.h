#pragma once

// What the user answered when the destination file of a transfer exists already.
struct ExistingFileAnswer {
    enum Choice : int { None = 0, Overwrite = 1, Rename = 2, Resume = 3, Skip = 4 };
    Choice choice = None;
    // The choice holds for every later file of the same direction in this run.
    bool all = false;

    bool operator==(const ExistingFileAnswer &) const = default;
};

// The after-transfer action of a run: nothing, end the session, or shut the computer down.
enum class AfterTransferAction : int { None = 0, Disconnect = 1, Shutdown = 2 };
