// The per-item progress of the transfer queue: reports from the transferring threads, coalesced
// for the window thread.
#include "session/transferqueue.h"

#include "engine/transfertexts.h"

#include <QMutexLocker>

namespace
{
// Below this the first block's timing would make the rate up.
constexpr qint64 rateAfterMs = 250;
} // namespace

void TransferQueue::setUpProgress()
{
    progressClock_.start();
    progressTimer_.setSingleShot(true);
    connect(&progressTimer_, &QTimer::timeout, this, &TransferQueue::deliverProgress);
}

void TransferQueue::reportProgress(const QueueItem &item, qint64 done, qint64 total, int connection)
{
    const qint64 now = progressClock_.elapsed();
    {
        const QMutexLocker lock(&progressMutex_);
        Reported &entry = reported_[item.name];
        if (entry.item != item)
            entry = Reported{item, done, total, connection, done, now, now, false};
        entry.done = done;
        entry.total = total;
        entry.connection = connection;
        entry.lastMs = now;
        if (progressPosted_)
            return;
        progressPosted_ = true;
    }
    postProgress();
}

void TransferQueue::endProgress(const QueueItem &item)
{
    {
        const QMutexLocker lock(&progressMutex_);
        const auto found = reported_.constFind(item.name);
        if (found != reported_.cend() && found->item == item) {
            ended_.push_back(*found);
            reported_.erase(found);
        } else {
            // Ended before any byte moved (an empty file): it ends all the same.
            ended_.push_back(Reported{item, 0, item.size(), 0, 0, 0, 0, true});
        }
        ended_.back().ended = true;
        if (progressPosted_)
            return;
        progressPosted_ = true;
    }
    postProgress();
}

void TransferQueue::postProgress()
{
    // Queued to this object: a post that finds the queue gone is dropped.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const qint64 wait = lastProgressDelivery_ + progressIntervalMs - progressClock_.elapsed();
            if (wait <= 0)
                deliverProgress();
            else if (!progressTimer_.isActive())
                progressTimer_.start(int(wait));
        },
        Qt::QueuedConnection);
}

void TransferQueue::deliverProgress()
{
    std::vector<Reported> ended;
    {
        const QMutexLocker lock(&progressMutex_);
        shownProgress_ = reported_;
        ended.swap(ended_);
        progressPosted_ = false;
    }
    progressTimer_.stop();
    lastProgressDelivery_ = progressClock_.elapsed();
    emit progressChanged();
    for (const Reported &item : ended)
        emit progressEnded(item.item, item.done, item.total);
}

TransferQueue::ItemProgress TransferQueue::progressFrom(const Reported &reported) const
{
    ItemProgress progress{reported.done, reported.total, reported.connection, 0, -1};
    const qint64 elapsed = reported.lastMs - reported.firstMs;
    if (elapsed >= rateAfterMs)
        progress.bytesPerSecond = BytesPerSecond(reported.done - reported.firstDone, elapsed);
    if (reported.total > 0)
        progress.secondsLeft = SecondsLeft(reported.total - reported.done, progress.bytesPerSecond);
    return progress;
}

std::optional<TransferQueue::ItemProgress> TransferQueue::progressOf(const QueueItem &item) const
{
    const auto found = shownProgress_.constFind(item.name);
    if (found == shownProgress_.cend() || found->item != item)
        return std::nullopt;
    return progressFrom(*found);
}

std::vector<std::pair<QueueItem, TransferQueue::ItemProgress>> TransferQueue::progressing() const
{
    std::vector<std::pair<QueueItem, ItemProgress>> all;
    for (const Reported &reported : shownProgress_)
        all.emplace_back(reported.item, progressFrom(reported));
    return all;
}
