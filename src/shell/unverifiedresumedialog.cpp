#include "shell/unverifiedresumedialog.h"

#include "platform/durations.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

UnverifiedResumeDialog::UnverifiedResumeDialog(const QString &fileName, bool upload, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      again_(new QPushButton(upload ? UiText::tr("Upload again from the start")
                                    : UiText::tr("Download again from the start"),
                             this)),
      skip_(new QPushButton(UiText::tr("Skip"), this)), all_(new QCheckBox(UiText::tr("All"), this))
{
    setWindowTitle(UiText::tr("Select"));
    auto *message =
        new QLabel(UiText::tr("%s cannot be resumed safely: the part does not match the server's file.")
                       .replace(QLatin1String("%s"), fileName),
                   this);
    message->setTextFormat(Qt::PlainText);
    again_->setDefault(true);
    connect(again_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Overwrite); });
    connect(skip_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Skip); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(again_);
    buttons->addWidget(skip_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(buttons);
    layout->addWidget(all_);

    // An unattended run must not wait here for ever.
    auto *timeout = new QTimer(this);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, this, [this] { choose(ExistingFileAnswer::Overwrite); });
    timeout->start(durations::get(durations::Kind::DialogTimeout));
    rejectOnWorkerStop(this);
}

void UnverifiedResumeDialog::choose(ExistingFileAnswer::Choice choice)
{
    answer_ = {choice, all_->isChecked()};
    accept();
}

ExistingFileAnswer askUnverifiedResumeWithDialog(const QString &fileName, bool upload, QWidget *parent)
{
    UnverifiedResumeDialog dialog(fileName, upload, parent);
    (void)dialog.exec();
    return dialog.answer();
}
