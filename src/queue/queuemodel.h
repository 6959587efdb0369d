#pragma once

#include "session/queueitem.h"

#include <QAbstractTableModel>
#include <QHash>

#include <vector>

// The rows of the queue pane, one per item in queue order: Name, Size, Status (always empty) and
// Destination. Window thread only; the pane marshals every other caller here.
class QueueModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, StatusColumn, DestinationColumn, ColumnCount };

    explicit QueueModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    [[nodiscard]] int size() const { return int(rows_.size()); }
    [[nodiscard]] const QueueItem &item(int row) const { return rows_[size_t(row)].item; }
    [[nodiscard]] std::vector<QueueItem> items() const;
    // True when an item of this source path is queued (bytes compared exactly: paths are
    // case-sensitive here).
    [[nodiscard]] bool containsName(const QByteArray &name) const { return nameCounts_.contains(name); }

    // Inserts the items in their order before row `at` (0 the head, size() the end).
    void insertItems(int at, const std::vector<QueueItem> &items);
    // Removes the rows (any order, duplicates ignored).
    void removeRowsAt(std::vector<int> rows);
    void setItems(std::vector<QueueItem> items);
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
    void countName(const QByteArray &name, int delta);

    std::vector<Row> rows_;
    QHash<QByteArray, int> nameCounts_;
};
