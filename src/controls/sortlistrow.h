#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Interim row of the file list (the sortable list control proper replaces this file).
struct SortListRow {
    QList<QString> texts;
    QByteArray rawName;
    int itemData = 0;
    int icon = -1;

    bool isFolder() const { return (itemData & 0xF0) == 0xF0; }
    QString text(int column) const { return texts.value(column); }
    QByteArray nameBytes() const { return rawName.isEmpty() ? texts.value(0).toUtf8() : rawName; }
};
