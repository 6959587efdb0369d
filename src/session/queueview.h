#pragma once

#include "session/queueitem.h"

#include <optional>
#include <vector>

// The transfer queue as the file panes and the queue transfer job see it. The queue pane owns the
// items and implements this; every operation may be called from the window thread or the worker
// and acts on the queue as one step, so no caller ever sees half a change.
class QueueView
{
public:
    enum class AddResult {
        Added,
        Duplicate, // an item of that source path is queued already; nothing changed
        TooLong,   // name or destination does not fit the queue file; refused, logged in red
    };

    virtual ~QueueView() = default;

    // Appends the item, or puts it at the head. A source path already queued (byte for byte)
    // is not added again.
    virtual AddResult AddQueueItem(const QueueItem &item, bool atHead) = 0;
    // The same for several items in one step, in their order; at the head they keep that order.
    // Returns how many were added.
    virtual int AddQueueItems(const std::vector<QueueItem> &items, bool atHead) = 0;

    // The first item, or nullopt when the queue is empty.
    virtual std::optional<QueueItem> PeekQueueHead() = 0;
    // Removes the first item and returns the new first one (nullopt when none is left).
    virtual std::optional<QueueItem> PopQueueHead() = 0;
    // Removes the first item equal to `done`, wherever the user has moved it meanwhile; false when
    // it is no longer queued. The transfer job ends an item with this, so that rows moved while a
    // transfer runs never cost another item its turn.
    virtual bool RemoveQueueItem(const QueueItem &done) = 0;

    // Readable from any thread without waiting for the window thread.
    [[nodiscard]] virtual int queueCount() const = 0;
    [[nodiscard]] virtual bool queueHasItems() const = 0;
};
