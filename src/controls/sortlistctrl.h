#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTreeWidget>

// Interim file list until the sortable list control lands: a flat tree of rows, each with its
// column texts, its name as bytes and its item-data word (0xF0 bits mark a folder).
struct FileListRow {
    QByteArray name;
    QStringList texts;
    int itemData = 2;
};

class CSortListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CSortListCtrl(QWidget *parent = nullptr);

    void SetListName(const QString &name) { listName_ = name; }
    void InsertSortColumn(int index, const QString &header, Qt::Alignment alignment, int width);
    void SetColumnKind(int, int) {}
    void ReSort() {}
    void SelectItemByName(const QString &name);

    void setRows(const QList<FileListRow> &rows);
    [[nodiscard]] int rowCount() const { return topLevelItemCount(); }
    [[nodiscard]] QByteArray rowName(int row) const;
    [[nodiscard]] QString rowText(int row, int column) const;
    [[nodiscard]] int rowItemData(int row) const;
    [[nodiscard]] QList<int> selectedRowIndexes() const;

private:
    QString listName_;
};
