#include "shell/renametargetdialog.h"

#include "platform/beep.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameTargetDialog::RenameTargetDialog(const QByteArray &path, QWidget *parent)
    : QDialog(parent), edit_(new QLineEdit(this)), start_(QString::fromUtf8(path))
{
    setWindowTitle(uiText("Rename"));
    edit_->setMaxLength(maxLength);
    edit_->setText(start_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(uiText("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RenameTargetDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    rejectOnWorkerStop(this);
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
