#include "panes/movetodialog.h"

#include "panes/dialogbuttons.h"
#include "platform/uitext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

MoveToDialog::MoveToDialog(const QComboBox &folders, QWidget *parent)
    : QDialog(parent), combo_(new QComboBox(this))
{
    setWindowTitle(UiText::tr("Move to"));
    combo_->setObjectName(QStringLiteral("destination"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->lineEdit()->setMaxLength(destinationLimit);
    for (int i = 0; i < folders.count(); ++i)
        combo_->addItem(folders.itemText(i), folders.itemData(i));
    combo_->setCurrentIndex(folders.currentIndex());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(UiText::tr("Enter the destination directory."), this));
    layout->addWidget(combo_);
    layout->addWidget(okCancelButtons(this));
}

QByteArray MoveToDialog::destination() const
{
    const QString text = combo_->currentText();
    const int index = combo_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    const QByteArray bytes = index >= 0 ? combo_->itemData(index).toByteArray() : QByteArray();
    return bytes.isEmpty() ? text.toUtf8() : bytes;
}
