#include "panes/newfolderdialog.h"

#include "panes/dialogbuttons.h"
#include "platform/uitext.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

NewFolderDialog::NewFolderDialog(QWidget *parent) : QDialog(parent), edit_(new QLineEdit(this))
{
    setWindowTitle(UiText::tr("New Folder"));
    edit_->setObjectName(QStringLiteral("folderName"));
    edit_->setMaxLength(nameLimit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(okCancelButtons(this));
}

QString NewFolderDialog::name() const
{
    return edit_->text();
}
