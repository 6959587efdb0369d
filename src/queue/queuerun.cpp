#include "queue/queuerun.h"

#include "engine/transfertexts.h"
#include "platform/filerow.h"
#include "platform/uitext.h"
#include "queue/queuemodel.h"
#include "session/transferqueue.h"

#include <QSet>

#include <algorithm>

namespace
{
// The names a notice lists before it only counts the rest.
constexpr int namesShown = 5;
} // namespace

QueueRun::QueueRun(TransferQueue *queue, QueueModel *model, QObject *parent)
    : QObject(parent), queue_(queue), model_(model)
{
    connect(queue, &TransferQueue::progressEnded, this,
            [this](const QueueItem &item, qint64 done, qint64) { itemEnded(item, done); });
    connect(queue, &TransferQueue::progressChanged, this, [this] {
        if (running_)
            emit totalsChanged();
    });
    connect(queue, &TransferQueue::queueChanged, this, [this] {
        if (running_)
            emit totalsChanged();
    });
}

void QueueRun::begin()
{
    ended_.clear();
    endedBytes_ = 0;
    running_ = true;
    clock_.start();
    emit totalsChanged();
}

void QueueRun::itemEnded(const QueueItem &item, qint64 done)
{
    if (!running_)
        return;
    ended_.push_back({item, done});
    endedBytes_ += done;
}

QueueRun::Totals QueueRun::totals() const
{
    Totals totals;
    totals.filesDone = int(ended_.size());
    totals.filesTotal = totals.filesDone + model_->size();
    totals.bytesDone = endedBytes_;
    totals.bytesTotal = endedBytes_ + model_->queuedBytes();
    for (const auto &[item, progress] : queue_->progressing()) {
        (void)item;
        totals.bytesDone += progress.done;
    }
    totals.bytesDone = std::min(totals.bytesDone, totals.bytesTotal);
    return totals;
}

QueueRun::Summary QueueRun::end()
{
    // Reports still on their way belong to this run.
    queue_->deliverProgress();
    queue_->deliverChanges();
    Summary summary;
    summary.elapsedMs = running_ ? clock_.elapsed() : 0;
    running_ = false;
    QSet<QByteArray> queued;
    for (const QueueItem &item : queue_->items()) {
        queued.insert(item.name);
        summary.left.push_back(item.name);
    }
    for (const Ended &ended : ended_) {
        if (queued.contains(ended.item.name))
            continue;
        ++summary.transferred;
        summary.transferredBytes += ended.done;
    }
    ended_.clear();
    endedBytes_ = 0;
    return summary;
}

QString QueueRun::Summary::title() const
{
    return left.empty() ? UiText::tr("Transfer finished")
                        : UiText::tr("Transfer finished, not everything was transferred");
}

QString QueueRun::Summary::body() const
{
    QString text = UiText::tr("%1 files transferred (%2 bytes).")
                       .arg(transferred)
                       .arg(groupedNumberText(transferredBytes));
    if (left.empty())
        return text;
    QStringList names;
    for (size_t i = 0; i < left.size() && i < size_t(namesShown); ++i)
        names << QueueModel::shownText(left[i]);
    if (left.size() > size_t(namesShown))
        names << UiText::tr("and %1 more").arg(left.size() - size_t(namesShown));
    return text + QLatin1Char('\n') +
           UiText::tr("%1 files not transferred, still in the queue: %2")
               .arg(left.size())
               .arg(names.join(QStringLiteral(", ")));
}
