#pragma once

#include <QLineEdit>

class CSortListCtrl;

// The filter box above a file list: what is typed hides the rows whose names it does not keep.
class ListFilterEdit : public QLineEdit
{
public:
    ListFilterEdit(CSortListCtrl *list, QWidget *parent);
};
