#include "shell/existingfiledialog.h"

#include "platform/durations.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

ExistingFileDialog::ExistingFileDialog(const QString &fileName, bool upload, bool resumePossible,
                                       QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      message_(
          new QLabel(uiText("The file %s already exists.").replace(QLatin1String("%s"), fileName), this)),
      resume_(new QPushButton(uiText("Resume"), this)), rename_(new QPushButton(uiText("Rename"), this)),
      overwrite_(new QPushButton(uiText("Overwrite"), this)), skip_(new QPushButton(uiText("Skip"), this)),
      all_(new QCheckBox(uiText("All"), this)), resumePossible_(resumePossible)
{
    setWindowTitle(uiText("Select"));
    // The two variants differ only in the button's object (the download and upload Resume).
    resume_->setObjectName(upload ? QStringLiteral("uploadResume") : QStringLiteral("downloadResume"));
    resume_->setEnabled(resumePossible);
    // With "All" the choice also governs later files, for which resume may be possible.
    connect(all_, &QCheckBox::toggled, this, [this](bool on) { resume_->setEnabled(on || resumePossible_); });
    connect(resume_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Resume); });
    connect(rename_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Rename); });
    connect(overwrite_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Overwrite); });
    connect(skip_, &QPushButton::clicked, this, [this] { choose(ExistingFileAnswer::Skip); });

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {resume_, rename_, overwrite_, skip_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    layout->addWidget(all_);

    // An unattended run must not wait here for ever.
    auto *timeout = new QTimer(this);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, this, [this] { choose(ExistingFileAnswer::Resume); });
    timeout->start(durations::get(durations::Kind::DialogTimeout));
    rejectOnWorkerStop(this);
}

void ExistingFileDialog::choose(ExistingFileAnswer::Choice choice)
{
    answer_ = {choice, all_->isChecked()};
    accept();
}

ExistingFileAnswer askExistingFileWithDialog(const QString &fileName, bool upload, bool resumePossible,
                                             QWidget *parent)
{
    ExistingFileDialog dialog(fileName, upload, resumePossible, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.answer();
}
