#include "session/itemprogressscope.h"

#include "engine/ftpconnection.h"
#include "session/transferqueue.h"

ItemProgressScope::ItemProgressScope(FtpConnection &connection, TransferQueue *queue, const QueueItem &item,
                                     int connectionNumber)
    : connection_(connection), queue_(queue), item_(item)
{
    if (!queue)
        return;
    connection.progressWatcher = [queue, item, connectionNumber](qint64 done, qint64 total) {
        queue->reportProgress(item, done, total, connectionNumber);
    };
}

ItemProgressScope::~ItemProgressScope()
{
    if (!queue_)
        return;
    connection_.progressWatcher = nullptr;
    queue_->endProgress(item_);
}
