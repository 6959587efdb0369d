#include "shell/renametargetdialog.h"

#include "platform/beep.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameTargetDialog::RenameTargetDialog(const QByteArray &path, QWidget *parent)
    : QDialog(parent), edit_(new QLineEdit(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      start_(QString::fromUtf8(path))
{
    setWindowTitle(UiText::tr("Rename"));
    edit_->setMaxLength(maxLength);
    edit_->setText(start_);
    auto *label = new QLabel(UiText::tr("New name:"), this);
    label->setBuddy(edit_);
    // Cancel leaves the existing file as it is and the transfer of this file undone.
    buttons_->button(QDialogButtonBox::Ok)->setText(UiText::tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(UiText::tr("Cancel"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &RenameTargetDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &RenameTargetDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons_);
    rejectOnWorkerStop(this);
}

QPushButton *RenameTargetDialog::cancelButton() const
{
    return buttons_->button(QDialogButtonBox::Cancel);
}

QByteArray RenameTargetDialog::path() const
{
    return edit_->text().toUtf8();
}

void RenameTargetDialog::accept()
{
    // The same path would overwrite the very file the user chose not to overwrite.
    if (edit_->text() == start_ || edit_->text().isEmpty()) {
        Beep();
        return;
    }
    QDialog::accept();
}

std::optional<QByteArray> askRenameTargetWithDialog(const QByteArray &path, QWidget *parent)
{
    RenameTargetDialog dialog(path, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.path();
}
