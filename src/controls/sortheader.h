#pragma once

#include <QHeaderView>
#include <QIcon>

// The header of a sortable list: shows an arrow beside the title of the sort column.
class SortHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit SortHeader(QWidget *parent = nullptr);

    void ClearArrows();
    void SetArrow(int item, bool ascending);

    // The item that shows an arrow, -1 for none, and its direction.
    int arrowItem() const { return arrowItem_; }
    bool arrowAscending() const { return arrowAscending_; }

private:
    QIcon ascendingArrow_;
    QIcon descendingArrow_;
    int arrowItem_ = -1;
    bool arrowAscending_ = true;
};
