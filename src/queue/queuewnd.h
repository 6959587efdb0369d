#pragma once

#include "controls/paneactions.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

class QAction;
class QueueModel;
class ReorderListCtrl;
class TransferQueue;

// The queue pane: a view of the transfer queue, one row per item, which the user reorders
// (commands or dragging), deletes, reads from and saves to files, and hands to the transfer job.
// The queue itself (its items, its files, its autosave) is the TransferQueue the pane owns; every
// other part reaches the queue there, from either thread.
class CQueueWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CQueueWnd(QWidget *parent = nullptr);
    ~CQueueWnd() override;

    // The one-time set-up: list, columns and their stored widths, then QUEUE.Q. The automatic
    // saving starts only here, so that a pane that never loaded the queue never overwrites it.
    void initialUpdate();
    // The pane height that shows the column titles and this many rows, after initialUpdate().
    [[nodiscard]] int heightForRows(int rows) const;

    TransferQueue *queue() const { return queue_; }

    // Where "Transfer" starts the queue transfer job (the frame's command 32782). Unset: nothing.
    void setTransferStarter(std::function<void()> start) { transferStarter_ = std::move(start); }

    ReorderListCtrl *list() const { return list_; }
    QueueModel *model() const { return model_; }

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

signals:
    // Window thread, after every change of the queue.
    void queueChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The rows shown follow the queue's changes at once.
    void changed();
    void readColumnWidths();
    void writeColumnWidths();
    void createActions();
    // The selected rows as one block: where it begins (-1: nothing selected) and how many.
    [[nodiscard]] std::pair<int, int> selectedBlock() const;
    void showContextMenu(const QPoint &globalPos);

    TransferQueue *queue_ = nullptr;
    ReorderListCtrl *list_ = nullptr;
    QueueModel *model_ = nullptr;
    std::function<void()> transferStarter_;
    PaneActions paneActions_{this};
    Actions actions_;
    bool initialised_ = false;
};
