#pragma once

#include "session/queueitem.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <vector>

class QueueModel;
class TransferQueue;

// One run of the queue as the window follows it, from the start of the transfer job to its end:
// the files whose transfer ended and their bytes, the bytes of those in transfer, and what the
// queue still holds. Window thread.
class QueueRun : public QObject
{
    Q_OBJECT
public:
    QueueRun(TransferQueue *queue, QueueModel *model, QObject *parent = nullptr);

    struct Totals {
        int filesDone = 0;
        int filesTotal = 0;
        qint64 bytesDone = 0;
        qint64 bytesTotal = 0;
    };
    // What the run has done, and what it will have done with the queue as it stands.
    struct Summary {
        qint64 elapsedMs = 0;
        int transferred = 0;
        qint64 transferredBytes = 0;
        // The queue's items at the end: those that failed, or were not reached.
        std::vector<QByteArray> left;
        // A title and a body that tell it in words.
        [[nodiscard]] QString title() const;
        [[nodiscard]] QString body() const;
    };

    void begin();
    // The run's summary; the run is over.
    Summary end();
    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] Totals totals() const;

signals:
    // The totals changed while the run goes on.
    void totalsChanged();

private:
    void itemEnded(const QueueItem &item, qint64 done);

    TransferQueue *queue_;
    QueueModel *model_;
    QElapsedTimer clock_;
    bool running_ = false;
    struct Ended {
        QueueItem item;
        qint64 done = 0;
    };
    std::vector<Ended> ended_;
    qint64 endedBytes_ = 0;
};
