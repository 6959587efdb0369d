#pragma once

#include "session/queueitem.h"

#include <QAbstractTableModel>

#include <vector>

class TransferQueue;

// The rows of the queue pane, one per item of the transfer queue in queue order: Name, Size,
// Status (the progress of an item being transferred, else empty) and Destination. It follows the queue's announcements and hands the
// user's edits to the queue, which announces them back. Window thread only.
class QueueModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, StatusColumn, DestinationColumn, ColumnCount };
    // The Status column of a row in transfer: its percentage (an int); no value otherwise.
    static constexpr int PercentRole = Qt::UserRole + 1;

    explicit QueueModel(TransferQueue *queue, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    [[nodiscard]] int size() const { return int(rows_.size()); }
    [[nodiscard]] const QueueItem &item(int row) const { return rows_[size_t(row)].item; }
    [[nodiscard]] std::vector<QueueItem> items() const;
    // The sizes of every queued file added up, kept as rows come and go.
    [[nodiscard]] qint64 queuedBytes() const { return queuedBytes_; }

    // The user's edits, handed to the queue. Removes the rows (any order, duplicates ignored).
    void removeRowsAt(std::vector<int> rows);
    // Only an empty list: the queue is cleared.
    void setItems(const std::vector<QueueItem> &items);
    // The selected rows as one block before row `target`; persistent indexes (the view's
    // selection) follow their rows.
    void moveBlock(const std::vector<int> &rows, int target);

    // What the pane shows for a path or size of the queue file: UTF-8, or CP949 when the bytes
    // are not valid UTF-8.
    [[nodiscard]] static QString shownText(const QByteArray &bytes);

private:
    struct Row {
        QueueItem item;
        QString name;
        QString size;
        QString destination;
    };
    static Row makeRow(const QueueItem &item);
    void insertItems(int at, const std::vector<QueueItem> &items);
    void removeItems(int first, int count);
    void reorder(const std::vector<int> &order);
    void reset(const std::vector<QueueItem> &items);
    void progressChanged();
    [[nodiscard]] QVariant statusData(const Row &row, int role) const;

    TransferQueue *queue_;
    std::vector<Row> rows_;
    qint64 queuedBytes_ = 0;
};
