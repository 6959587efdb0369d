#pragma once

#include "platform/rowsort.h"

#include <QByteArray>

#include <optional>

class TransferQueue;

// What a run of the transfer starts from, taken when it starts (window thread), so that the
// worker never asks a window for it.
struct TransferInputs {
    TransferQueue *queue = nullptr;
    // The folders the panes show: the run's starting points, restored at its end.
    QByteArray localFolder;
    QByteArray remoteFolder;
    // The order the panes sort their rows in: a folder's entries are queued in that order.
    // None: as the server lists them (remote), folders first in name order (local).
    std::optional<RowOrder> remoteOrder;
    std::optional<RowOrder> localOrder;
};
