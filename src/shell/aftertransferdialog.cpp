#include "shell/aftertransferdialog.h"

#include "platform/beep.h"
#include "platform/durations.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

AfterTransferDialog::AfterTransferDialog(AfterTransferAction action, QWidget *parent) : QDialog(parent)
{
    const bool shutdown = action == AfterTransferAction::Shutdown;
    setWindowTitle(shutdown ? UiText::tr("Shut down the computer") : UiText::tr("Disconnect"));
    auto *message = new QLabel(
        shutdown
            ? UiText::tr(
                  "\"Shut down the computer after transfer\" option is enabled. Shut down the computer now?")
            : UiText::tr("\"Disconnecting after transfer\" option is enabled. Disconnect now?"),
        this);
    auto *buttons = new QDialogButtonBox(this);
    yes_ = buttons->addButton(UiText::tr("Yes"), QDialogButtonBox::AcceptRole);
    no_ = buttons->addButton(UiText::tr("No"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(buttons);

    auto *timeout = new QTimer(this);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, this, &QDialog::accept);
    timeout->start(durations::get(durations::Kind::DialogTimeout));
    rejectOnWorkerStop(this);
    Beep();
}

bool confirmAfterTransferWithDialog(AfterTransferAction action, QWidget *parent)
{
    AfterTransferDialog dialog(action, parent);
    return dialog.exec() == QDialog::Accepted;
}
