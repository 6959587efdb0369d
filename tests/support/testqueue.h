#pragma once

#include "session/queueview.h"

#include <QList>
#include <QMutex>

#include <algorithm>

namespace testsupport
{

// The transfer queue without a window: a list behind a lock, usable from the worker.
class TestQueue : public QueueView
{
public:
    QList<QueueItem> items() const
    {
        const QMutexLocker lock(&mutex_);
        return items_;
    }

    AddResult AddQueueItem(const QueueItem &item, bool atHead) override
    {
        return AddQueueItems({item}, atHead) == 1 ? AddResult::Added : AddResult::Duplicate;
    }
    int AddQueueItems(const std::vector<QueueItem> &items, bool atHead) override
    {
        const QMutexLocker lock(&mutex_);
        int added = 0;
        for (const QueueItem &item : items) {
            const bool queued = std::any_of(items_.cbegin(), items_.cend(), [&item](const QueueItem &other) {
                return other.name == item.name;
            });
            if (queued)
                continue;
            items_.insert(atHead ? added : items_.size(), item);
            ++added;
        }
        return added;
    }
    std::optional<QueueItem> PeekQueueHead() override
    {
        const QMutexLocker lock(&mutex_);
        return items_.isEmpty() ? std::nullopt : std::optional<QueueItem>(items_.first());
    }
    std::optional<QueueItem> PopQueueHead() override
    {
        const QMutexLocker lock(&mutex_);
        if (!items_.isEmpty())
            items_.removeFirst();
        return items_.isEmpty() ? std::nullopt : std::optional<QueueItem>(items_.first());
    }
    bool RemoveQueueItem(const QueueItem &done) override
    {
        const QMutexLocker lock(&mutex_);
        return items_.removeOne(done);
    }
    int queueCount() const override
    {
        const QMutexLocker lock(&mutex_);
        return int(items_.size());
    }
    bool queueHasItems() const override { return queueCount() > 0; }

private:
    mutable QMutex mutex_;
    QList<QueueItem> items_;
};

} // namespace testsupport
