#pragma once

#include "platform/datetimetext.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One row of a sortable file list.
struct SortListRow {
    QList<QString> texts;   // one per column; column 0 is the name as shown
    QByteArray rawName;     // the name's bytes when they are not valid UTF-8 (a remote name), else empty
    int itemData = 0;       // (itemData & 0xF0) == 0xF0 marks a folder
    int icon = -1;          // fileicons index, -1 for none
    // The date-time value of column dateKeyColumn, kept so that a sort by date reads every text
    // at most once; -1 when not known yet (it is then read from the text when first needed).
    datetimetext::Key dateKey = datetimetext::invalidKey;
    int dateKeyColumn = -1;

    bool isFolder() const { return (itemData & 0xF0) == 0xF0; }
    QString text(int column) const { return texts.value(column); }
    // The name byte for byte: what a command that names the file must send.
    QByteArray nameBytes() const { return rawName.isEmpty() ? texts.value(0).toUtf8() : rawName; }
};
