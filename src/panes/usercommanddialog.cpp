#include "panes/usercommanddialog.h"

#include "panes/dialogbuttons.h"
#include "platform/uitext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

UserCommandDialog::UserCommandDialog(QWidget *parent) : QDialog(parent), combo_(new QComboBox(this))
{
    setWindowTitle(UiText::tr("User Command"));
    combo_->setObjectName(QStringLiteral("command"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->lineEdit()->setMaxLength(commandLimit);
    combo_->setMinimumWidth(300);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(combo_);
    layout->addWidget(okCancelButtons(this));
}

QString UserCommandDialog::command() const
{
    return combo_->currentText();
}
