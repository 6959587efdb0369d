#include "shell/passwordpromptdialog.h"

#include "platform/uitext.h"
#include "platform/workerstop.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
constexpr int passwordLimit = 150;
}

PasswordPromptDialog::PasswordPromptDialog(QWidget *parent) : QDialog(parent), edit_(new QLineEdit(this))
{
    setWindowTitle(UiText::tr("Enter your password"));
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setMaxLength(passwordLimit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(UiText::tr("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);

    // The question belongs to a login on the worker: when that worker is stopped (Abort,
    // Disconnect, the watchdog), nobody waits for the answer any more.
    if (!workerstop::requested()) {
        auto *watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this] {
            if (workerstop::requested())
                reject();
        });
        watch->start(100);
    }
}

QString PasswordPromptDialog::password() const
{
    return edit_->text();
}

std::optional<QString> askPasswordWithDialog(QWidget *parent)
{
    PasswordPromptDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}
