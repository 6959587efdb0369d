#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

// Asks before a Delete and says what goes: under the usual question, the one entry by its name,
// or the number of entries when there are several. True when the user answers `yes`.
[[nodiscard]] bool askDelete(QWidget *parent, const QString &caption, const QString &question,
                             const QStringList &names, QMessageBox::StandardButton yes,
                             QMessageBox::StandardButton no);

// The line under the question: the name of the one entry, or how many there are.
[[nodiscard]] QString deletedItemsText(const QStringList &names);
