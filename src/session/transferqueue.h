#pragma once

#include "session/queuefile.h"
#include "session/queueview.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

// The transfer queue: the items, head first, behind one lock, so that the panes (window thread)
// and the transfer job (worker) change it in whole steps. Nothing here is a widget: the queue pane
// views it through the signals below.
//
// Every change is recorded under the lock and announced on the window thread in the order the
// changes were made: at once when the window thread made it, through the event loop when the
// worker did. A view that applies the announcements one by one holds the queue as it was after
// the last one.
//
// The queue survives a crash: once started, the autosave rewrites QUEUE.Q shortly after every
// change (through QUEUE$.Q and a rename, so that it is always whole). The backup QUEUE.BAK is
// rotated once, when the queue goes: it then holds the queue file that the run began with.
class TransferQueue : public QObject, public QueueView
{
    Q_OBJECT
public:
    static constexpr int autosaveDelayMs = 500;

    // `programFolder` holds QUEUE.Q and is where a file name without a folder is read and saved.
    explicit TransferQueue(QString programFolder, QObject *parent = nullptr);
    ~TransferQueue() override;

    // QueueView, any thread.
    AddResult AddQueueItem(const QueueItem &item, bool atHead) override;
    int AddQueueItems(const std::vector<QueueItem> &items, bool atHead) override;
    std::optional<QueueItem> PeekQueueHead() override;
    std::optional<QueueItem> PopQueueHead() override;
    bool RemoveQueueItem(const QueueItem &done) override;
    [[nodiscard]] int queueCount() const override;
    [[nodiscard]] bool queueHasItems() const override { return queueCount() > 0; }
    // The whole queue, head first. Any thread.
    [[nodiscard]] std::vector<QueueItem> items() const;
    // Ends the turn of the head: it goes to the end of the queue (a failed item waits there).
    void moveToEnd(const QueueItem &item);
    // Replaces `folder` by `entries` in one step: the entries go to the head (those not queued
    // already), the folder leaves wherever it stands. Any thread.
    void replaceItem(const QueueItem &folder, const std::vector<QueueItem> &entries);

    // Window thread: edits the view asks for, by the rows it shows. They are refused (false) when
    // a change of the worker has not reached the view yet, so that the rows named are never
    // other rows than those the user saw.
    // `order`: the old row of each new row (a permutation of every row).
    bool reorderRows(const std::vector<int> &order);
    bool removeRows(std::vector<int> rows);
    void clear();

    // Window thread. A name without a folder is in the program folder. False when the file could
    // not be opened, is no queue file, ends early or holds a path no command may carry (each
    // told in the log in red); what was read is queued all the same, except refused paths.
    bool LoadQueueFile(const QString &fileName);
    // Writes the queue to the file, rotating QUEUE.BAK for a file in the program folder. Sizes
    // left out and failures other than CannotCreate are told in the log.
    queuefile::SaveResult SaveQueueFile(const QString &fileName);

    // Window thread. Reads QUEUE.Q (keeping its bytes for the backup) and saves every change from
    // now on. A queue that never started this never writes the file.
    void startAutosave();
    // Writes QUEUE.Q now if a change waits for it.
    void flushAutosave();
    [[nodiscard]] QString programFolder() const { return programFolder_; }

    // Delivers the changes recorded so far (window thread); the worker's changes arrive by
    // themselves once the event loop runs.
    void deliverChanges();

    // The progress of an item being transferred, as the window thread last received it. The rate
    // is the average since the item's first report, from a monotonic clock; 0 until a quarter of
    // a second has passed. `secondsLeft` is -1 when there is no estimate.
    struct ItemProgress {
        qint64 done = 0;
        qint64 total = 0;
        int connection = 0;
        double bytesPerSecond = 0;
        qint64 secondsLeft = -1;
    };
    // Any thread, as often as every block: the reports of an item are coalesced and reach the
    // window thread a few times a second, the latest always. `connection` tells apart the
    // connections that transfer at the same time.
    void reportProgress(const QueueItem &item, qint64 done, qint64 total, int connection);
    // Any thread: the item's transfer has ended (whatever became of it); its progress goes.
    void endProgress(const QueueItem &item);
    // Window thread: the item's progress, or nullopt while it is not being transferred.
    [[nodiscard]] std::optional<ItemProgress> progressOf(const QueueItem &item) const;
    // Window thread: every item in progress.
    [[nodiscard]] std::vector<std::pair<QueueItem, ItemProgress>> progressing() const;
    // Delivers the reports made so far now (window thread).
    void deliverProgress();

signals:
    // The model-style announcements, window thread only, in the order of the changes.
    void itemsInserted(int at, const std::vector<QueueItem> &items);
    void itemsRemoved(int first, int count);
    // The old row of each new row.
    void itemsReordered(const std::vector<int> &order);
    void itemsReset(const std::vector<QueueItem> &items);
    // After the changes delivered in one go.
    void queueChanged();
    // Window thread: progress reports were delivered (and ended items dropped).
    void progressChanged();
    // Window thread: an item's transfer ended with these bytes done of that size.
    void progressEnded(const QueueItem &item, qint64 done, qint64 total);

private:
    struct Change {
        enum Kind { Insert, Remove, Reorder, Reset } kind;
        int at = 0;
        int count = 0;
        std::vector<QueueItem> items;
        std::vector<int> order;
    };

    // Under the lock.
    int insertLocked(int at, const std::vector<QueueItem> &items);
    void removeLocked(int row);
    bool containsLocked(const QByteArray &name) const;
    void recordLocked(Change change);
    // After the lock is released: delivered now on the window thread, else posted.
    void announce();
    void autosave();

    mutable QMutex mutex_;
    std::vector<QueueItem> items_;
    std::vector<Change> pending_;
    bool deliveryPosted_ = false;

    struct Reported {
        QueueItem item;
        qint64 done = 0;
        qint64 total = 0;
        int connection = 0;
        qint64 firstDone = 0;
        qint64 firstMs = 0;
        qint64 lastMs = 0;
        bool ended = false;
    };
    static constexpr int progressIntervalMs = 100;
    void setUpProgress();
    void postProgress();
    [[nodiscard]] ItemProgress progressFrom(const Reported &reported) const;

    // The reports of the threads, under their own lock: a transfer never waits for the queue's.
    mutable QMutex progressMutex_;
    QHash<QByteArray, Reported> reported_;
    std::vector<Reported> ended_;
    bool progressPosted_ = false;
    QElapsedTimer progressClock_;
    // Window thread.
    QHash<QByteArray, Reported> shownProgress_;
    QTimer progressTimer_;
    qint64 lastProgressDelivery_ = -progressIntervalMs;

    QString programFolder_;
    QTimer autosaveTimer_;
    bool autosaving_ = false;
    QString lastAutosaveError_;
    // QUEUE.Q as the run found it: it becomes QUEUE.BAK when the queue goes, as it would have
    // without the saves in between. Not kept when larger than this; the backup is then the
    // last saved queue.
    static constexpr qint64 keptStartFileLimit = 64 << 20;
    QByteArray startFile_;
    bool startFileKept_ = false;
};
