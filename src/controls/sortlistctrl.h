#pragma once

#include "controls/sortlistmodel.h"

#include <QTreeView>

#include <vector>

// Interim file list (the sortable list control proper replaces this file).
class CSortListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CSortListCtrl(QWidget *parent = nullptr);

    void SetListName(const QString &name) { listName_ = name; }
    void InsertSortColumn(int index, const QString &title, Qt::Alignment alignment, int defaultWidth);
    void SetColumnKind(int, int) {}
    void ReSort() {}
    void SelectItemByName(const QString &name);

    SortListModel *listModel() const { return model_; }
    void setRows(std::vector<SortListRow> rows) { model_->setRows(std::move(rows)); }
    std::vector<int> selectedRows() const;

private:
    SortListModel *model_;
    QString listName_;
};
