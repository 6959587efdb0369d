#include "session/transferqueue.h"

#include "platform/log.h"
#include "platform/namecodec.h"
#include "platform/uitext.h"

#include <QFile>
#include <QSet>
#include <QThread>

#include <algorithm>

namespace
{

QString shownPath(const QByteArray &path)
{
    return namecodec::decodeName(path, namecodec::Legacy::Cp949);
}

void logCannotSave(const QString &path, const QString &error)
{
    AppendLog(UiText::tr("Cannot save the queue to %1: %2\n").arg(path, error), LogColor::Error);
}

} // namespace

TransferQueue::TransferQueue(QString programFolder, QObject *parent)
    : QObject(parent), programFolder_(std::move(programFolder))
{
    autosaveTimer_.setSingleShot(true);
    autosaveTimer_.setInterval(autosaveDelayMs);
    connect(&autosaveTimer_, &QTimer::timeout, this, &TransferQueue::autosave);
    connect(this, &TransferQueue::queueChanged, this, [this] {
        if (autosaving_)
            autosaveTimer_.start();
    });
    setUpProgress();
}

TransferQueue::~TransferQueue()
{
    autosaveTimer_.stop();
    if (!autosaving_)
        return;
    // The one rotation of the run: the queue file the run began with becomes QUEUE.BAK. An empty
    // queue removes QUEUE.Q and leaves the backup alone.
    const std::vector<QueueItem> all = items();
    if (!all.empty() && startFileKept_)
        (void)queuefile::saveBackup(startFile_, programFolder_);
    const queuefile::SaveResult result =
        queuefile::save(QString::fromLatin1(queuefile::autosaveName), all,
                        startFileKept_ ? queuefile::Backup::Keep : queuefile::Backup::Rotate, programFolder_);
    if (result.status != queuefile::SaveStatus::Saved && result.status != queuefile::SaveStatus::NothingToSave)
        logCannotSave(programFolder_ + QLatin1String(queuefile::autosaveName), result.error);
}

bool TransferQueue::containsLocked(const QByteArray &name) const
{
    return std::any_of(items_.cbegin(), items_.cend(), [&name](const QueueItem &item) { return item.name == name; });
}

void TransferQueue::recordLocked(Change change)
{
    pending_.push_back(std::move(change));
}

int TransferQueue::insertLocked(int at, const std::vector<QueueItem> &items)
{
    std::vector<QueueItem> accepted;
    accepted.reserve(items.size());
    QSet<QByteArray> names;
    for (const QueueItem &item : items) {
        if (!item.fitsQueueFile()) {
            // The file's field holds 259 bytes; a cut path would transfer the wrong file.
            const QByteArray &tooLong = item.name.size() > QueueItem::maxPathBytes ? item.name : item.destination;
            AppendLog(UiText::tr("Not queued: the path is longer than %1 bytes: %2\n")
                          .arg(QueueItem::maxPathBytes)
                          .arg(shownPath(tooLong)),
                      LogColor::Error);
            continue;
        }
        // Source paths are compared byte for byte: they are case-sensitive here.
        if (names.contains(item.name) || containsLocked(item.name))
            continue;
        names.insert(item.name);
        QueueItem added = item;
        if (added.isFolder)
            added.sizeText.clear();
        accepted.push_back(std::move(added));
    }
    if (accepted.empty())
        return 0;
    at = std::clamp(at, 0, int(items_.size()));
    items_.insert(items_.begin() + at, accepted.begin(), accepted.end());
    const int added = int(accepted.size());
    recordLocked({Change::Insert, at, added, std::move(accepted), {}});
    return added;
}

void TransferQueue::removeLocked(int row)
{
    items_.erase(items_.begin() + row);
    recordLocked({Change::Remove, row, 1, {}, {}});
}

QueueView::AddResult TransferQueue::AddQueueItem(const QueueItem &item, bool atHead)
{
    int added = 0;
    {
        const QMutexLocker lock(&mutex_);
        added = insertLocked(atHead ? 0 : int(items_.size()), {item});
    }
    announce();
    if (!item.fitsQueueFile())
        return AddResult::TooLong;
    return added == 1 ? AddResult::Added : AddResult::Duplicate;
}

int TransferQueue::AddQueueItems(const std::vector<QueueItem> &items, bool atHead)
{
    int added = 0;
    {
        const QMutexLocker lock(&mutex_);
        added = insertLocked(atHead ? 0 : int(items_.size()), items);
    }
    announce();
    return added;
}

std::optional<QueueItem> TransferQueue::PeekQueueHead()
{
    const QMutexLocker lock(&mutex_);
    if (items_.empty())
        return std::nullopt;
    return items_.front();
}

std::optional<QueueItem> TransferQueue::PopQueueHead()
{
    std::optional<QueueItem> next;
    {
        const QMutexLocker lock(&mutex_);
        if (items_.empty())
            return std::nullopt;
        removeLocked(0);
        if (!items_.empty())
            next = items_.front();
    }
    announce();
    return next;
}

bool TransferQueue::RemoveQueueItem(const QueueItem &done)
{
    {
        const QMutexLocker lock(&mutex_);
        const auto it = std::find(items_.begin(), items_.end(), done);
        if (it == items_.end())
            return false;
        removeLocked(int(it - items_.begin()));
    }
    announce();
    return true;
}

void TransferQueue::moveToEnd(const QueueItem &item)
{
    {
        const QMutexLocker lock(&mutex_);
        const auto it = std::find(items_.begin(), items_.end(), item);
        if (it == items_.end())
            return;
        const int row = int(it - items_.begin());
        std::vector<int> order(items_.size());
        for (int i = 0, from = 0; i < int(order.size()); ++i, ++from) {
            if (from == row)
                ++from;
            order[size_t(i)] = from < int(order.size()) ? from : row;
        }
        std::rotate(it, it + 1, items_.end());
        recordLocked({Change::Reorder, 0, 0, {}, std::move(order)});
    }
    announce();
}

void TransferQueue::replaceItem(const QueueItem &folder, const std::vector<QueueItem> &entries)
{
    {
        const QMutexLocker lock(&mutex_);
        (void)insertLocked(0, entries);
        const auto it = std::find(items_.begin(), items_.end(), folder);
        if (it != items_.end())
            removeLocked(int(it - items_.begin()));
    }
    announce();
}

int TransferQueue::queueCount() const
{
    const QMutexLocker lock(&mutex_);
    return int(items_.size());
}

std::vector<QueueItem> TransferQueue::items() const
{
    const QMutexLocker lock(&mutex_);
    return items_;
}

bool TransferQueue::reorderRows(const std::vector<int> &order)
{
    {
        const QMutexLocker lock(&mutex_);
        if (!pending_.empty() || order.size() != items_.size())
            return false;
        std::vector<int> seen(order.size(), 0);
        for (const int from : order) {
            if (from < 0 || from >= int(order.size()) || seen[size_t(from)]++)
                return false;
        }
        if (std::is_sorted(order.begin(), order.end()))
            return true;
        std::vector<QueueItem> moved;
        moved.reserve(order.size());
        for (const int from : order)
            moved.push_back(std::move(items_[size_t(from)]));
        items_ = std::move(moved);
        recordLocked({Change::Reorder, 0, 0, {}, order});
    }
    announce();
    return true;
}

bool TransferQueue::removeRows(std::vector<int> rows)
{
    {
        const QMutexLocker lock(&mutex_);
        if (!pending_.empty())
            return false;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        // From the last row to the first, so that earlier indexes stay valid.
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            if (*it >= 0 && *it < int(items_.size()))
                removeLocked(*it);
        }
    }
    announce();
    return true;
}

void TransferQueue::clear()
{
    {
        const QMutexLocker lock(&mutex_);
        if (items_.empty())
            return;
        items_.clear();
        recordLocked({Change::Reset, 0, 0, {}, {}});
    }
    announce();
}

void TransferQueue::announce()
{
    if (QThread::currentThread() == thread()) {
        deliverChanges();
        return;
    }
    {
        const QMutexLocker lock(&mutex_);
        if (deliveryPosted_ || pending_.empty())
            return;
        deliveryPosted_ = true;
    }
    QMetaObject::invokeMethod(this, &TransferQueue::deliverChanges, Qt::QueuedConnection);
}

void TransferQueue::deliverChanges()
{
    std::vector<Change> changes;
    {
        const QMutexLocker lock(&mutex_);
        changes.swap(pending_);
        deliveryPosted_ = false;
    }
    if (changes.empty())
        return;
    for (const Change &change : changes) {
        switch (change.kind) {
        case Change::Insert:
            emit itemsInserted(change.at, change.items);
            break;
        case Change::Remove:
            emit itemsRemoved(change.at, change.count);
            break;
        case Change::Reorder:
            emit itemsReordered(change.order);
            break;
        case Change::Reset:
            emit itemsReset(change.items);
            break;
        }
    }
    emit queueChanged();
}

bool TransferQueue::LoadQueueFile(const QString &fileName)
{
    queuefile::LoadResult result = queuefile::load(fileName, programFolder_);
    if (!result.opened)
        return false;
    queuefile::Decoded &decoded = result.decoded;
    if (!decoded.headerComplete) {
        // Not even a count: whatever this is, it holds no queue, and the queue shown stays.
        AppendLog(UiText::tr("%1 is not a queue file.\n").arg(fileName), LogColor::Error);
        return false;
    }
    const bool complete = decoded.complete();
    const size_t read = decoded.items.size();
    std::vector<QueueItem> accepted;
    accepted.reserve(read);
    for (QueueItem &item : decoded.items) {
        if (!item.refusedForLineBreak())
            accepted.push_back(std::move(item));
    }
    const bool refusedAny = accepted.size() != read;
    {
        const QMutexLocker lock(&mutex_);
        items_ = accepted;
        recordLocked({Change::Reset, 0, 0, std::move(accepted), {}});
    }
    announce();
    if (!complete) {
        AppendLog(UiText::tr("The queue file %1 ends inside a record; %2 of %3 items were read.\n")
                      .arg(fileName)
                      .arg(read)
                      .arg(decoded.count),
                  LogColor::Error);
        return false;
    }
    return !refusedAny;
}

queuefile::SaveResult TransferQueue::SaveQueueFile(const QString &fileName)
{
    queuefile::SaveResult result = queuefile::save(fileName, items(), queuefile::Backup::Rotate, programFolder_);
    for (const QByteArray &name : result.sizesDropped)
        AppendLog(
            UiText::tr("The size of %1 does not fit the queue file and was left out.\n").arg(shownPath(name)),
            LogColor::Error);
    if (result.status == queuefile::SaveStatus::CannotWrite || result.status == queuefile::SaveStatus::CannotReplace)
        logCannotSave(queuefile::resolve(fileName, programFolder_).path, result.error);
    return result;
}

void TransferQueue::startAutosave()
{
    if (autosaving_)
        return;
    autosaving_ = true;
    QFile start(programFolder_ + QLatin1String(queuefile::autosaveName));
    if (!start.exists()) {
        startFileKept_ = true;
    } else if (start.size() <= keptStartFileLimit && start.open(QIODevice::ReadOnly)) {
        startFile_ = start.readAll();
        startFileKept_ = startFile_.size() == start.size();
    }
    (void)LoadQueueFile(QString::fromLatin1(queuefile::autosaveName));
    // Loading the file that is already there needs no save.
    autosaveTimer_.stop();
}

void TransferQueue::flushAutosave()
{
    deliverChanges();
    if (autosaveTimer_.isActive()) {
        autosaveTimer_.stop();
        autosave();
    }
}

void TransferQueue::autosave()
{
    const queuefile::SaveResult result = queuefile::save(QString::fromLatin1(queuefile::autosaveName), items(),
                                                         queuefile::Backup::Keep, programFolder_);
    const bool failed =
        result.status != queuefile::SaveStatus::Saved && result.status != queuefile::SaveStatus::NothingToSave;
    // Said once per kind of failure, not after every change.
    if (failed && result.error != lastAutosaveError_)
        logCannotSave(programFolder_ + QLatin1String(queuefile::autosaveName), result.error);
    lastAutosaveError_ = failed ? result.error : QString();
}
