#pragma once

#include "session/queueitem.h"

struct FtpConnection;
class TransferQueue;

// For the length of one item's transfer on a connection, the transfer's progress read-outs are
// the item's progress in the queue; the end of the scope, however the transfer left (a stop
// leaves by an exception), ends it. Made and ended on the thread that runs the transfer.
class ItemProgressScope
{
public:
    ItemProgressScope(FtpConnection &connection, TransferQueue *queue, const QueueItem &item, int connectionNumber = 0);
    ~ItemProgressScope();
    ItemProgressScope(const ItemProgressScope &) = delete;
    ItemProgressScope &operator=(const ItemProgressScope &) = delete;

private:
    FtpConnection &connection_;
    TransferQueue *queue_;
    QueueItem item_;
};
