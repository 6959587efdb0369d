#pragma once

#include "controls/paneactions.h"
#include "session/queueview.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <utility>

class QAction;
class QueueModel;
class ReorderListCtrl;

// The queue pane: the transfer queue, one row per item, which the user reorders (commands or
// dragging), deletes, reads from and saves to files, and hands to the transfer job. Its rows are
// the queue; every other part reaches them through QueueView, from either thread.
//
// The queue survives a crash: shortly after every change QUEUE.Q is rewritten (through QUEUE$.Q
// and a rename, so it is always whole). The backup QUEUE.BAK is rotated once, when the pane goes:
// it then holds the queue file that the run began with.
class CQueueWnd : public QWidget, public QueueView
{
    Q_OBJECT
public:
    static constexpr int autosaveDelayMs = 500;

    explicit CQueueWnd(QWidget *parent = nullptr);
    ~CQueueWnd() override;

    // The one-time set-up: list, columns and their stored widths, then QUEUE.Q. The automatic
    // saving starts only here, so that a pane that never loaded the queue never overwrites it.
    void initialUpdate();

    // Where "Transfer" starts the queue transfer job (the frame's command 32782). Unset: nothing.
    void setTransferStarter(std::function<void()> start) { transferStarter_ = std::move(start); }

    ReorderListCtrl *list() const { return list_; }
    QueueModel *model() const { return model_; }

    // QueueView, callable from any thread.
    AddResult AddQueueItem(const QueueItem &item, bool atHead) override;
    int AddQueueItems(const std::vector<QueueItem> &items, bool atHead) override;
    std::optional<QueueItem> PeekQueueHead() override;
    std::optional<QueueItem> PopQueueHead() override;
    bool RemoveQueueItem(const QueueItem &done) override;
    [[nodiscard]] int queueCount() const override { return count_.load(); }
    [[nodiscard]] bool queueHasItems() const override { return count_.load() > 0; }
    // The whole queue, head first.
    [[nodiscard]] std::vector<QueueItem> queueItems();

    // Window thread. 1 on success, 0 otherwise. A name without a folder is in the program folder.
    int LoadQueueFile(const QString &fileName);
    // `interactive`: a file that cannot be created is told in a message box, else in the log.
    int SaveQueueFile(const QString &fileName, bool interactive = true);

    // The selected rows as one block before row `target` (the row count: the end).
    void MoveSelectedItems(int target);
    void DeleteSelected();
    void DeleteAll();
    void ReadFromFile();
    void SaveToFile();
    void Transfer();

    // The pane's commands (queuecommands.cpp), placed alike in its context menu and, for Delete,
    // in the main window's menu while this is the pane worked in.
    struct Actions {
        QAction *moveUpward = nullptr;
        QAction *moveDownward = nullptr;
        QAction *moveToTop = nullptr;
        QAction *moveToBottom = nullptr;
        QAction *deleteItems = nullptr;
        QAction *deleteAll = nullptr;
        QAction *readFromFile = nullptr;
        QAction *saveToFile = nullptr;
        QAction *transfer = nullptr;
    };
    [[nodiscard]] const Actions &commands() const { return actions_; }
    // Their enabled states: the frame says whether this is the pane being worked in, and update()
    // reads the commands' conditions again (selection, queue contents).
    [[nodiscard]] PaneActions &commandStates() { return paneActions_; }

    // Writes QUEUE.Q now if a change waits for it (tests, and the frame before it quits).
    void flushAutosave();

signals:
    // Window thread, after every change of the queue.
    void queueChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Runs `work` on the window thread and returns its result; `fallback` when the pane is gone.
    template <typename T> T onWindowThread(std::function<T()> work, T fallback);
    int addOnWindowThread(const std::vector<QueueItem> &items, bool atHead);
    void changed();
    void autosave();
    void readColumnWidths();
    void writeColumnWidths();
    void createActions();
    // The selected rows as one block: where it begins (-1: nothing selected) and how many.
    [[nodiscard]] std::pair<int, int> selectedBlock() const;
    void showContextMenu(const QPoint &globalPos);
    [[nodiscard]] QString programFolder() const;

    ReorderListCtrl *list_ = nullptr;
    QueueModel *model_ = nullptr;
    QTimer autosaveTimer_;
    std::function<void()> transferStarter_;
    PaneActions paneActions_{this};
    Actions actions_;
    std::atomic<int> count_{0};
    bool initialised_ = false;
    QString lastAutosaveError_;
    // QUEUE.Q as the run found it: it becomes QUEUE.BAK when the pane goes, as it would have
    // without the saves in between. Not kept when larger than this; the backup is then the
    // last saved queue.
    static constexpr qint64 keptStartFileLimit = 64 << 20;
    QByteArray startFile_;
    bool startFileKept_ = false;
};
