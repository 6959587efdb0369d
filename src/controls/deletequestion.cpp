#include "controls/deletequestion.h"

#include "platform/uitext.h"

#include <QAbstractButton>

QString deletedItemsText(const QStringList &names)
{
    if (names.size() == 1)
        return names.front();
    return UiText::tr("%1 items").arg(names.size());
}

bool askDelete(QWidget *parent, const QString &caption, const QString &question, const QStringList &names,
               QMessageBox::StandardButton yes, QMessageBox::StandardButton no)
{
    QMessageBox box(QMessageBox::Question, caption,
                    question + QStringLiteral("\n\n") + deletedItemsText(names), yes | no, parent);
    box.setObjectName(QStringLiteral("deleteQuestion"));
    // A file's name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.button(yes)->setText(UiText::tr(yes == QMessageBox::Ok ? "OK" : "Yes"));
    box.button(no)->setText(UiText::tr(no == QMessageBox::Cancel ? "Cancel" : "No"));
    box.setDefaultButton(yes);
    return box.exec() == yes;
}
