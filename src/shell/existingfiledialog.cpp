#include "shell/existingfiledialog.h"

#include "platform/durations.h"
#include "platform/filerow.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

ExistingFileDialog::ExistingFileDialog(const QString &fileName, bool upload, bool resumePossible,
                                       const ExistingFileFacts &facts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      message_(
          new QLabel(uiText("The file %s already exists.").replace(QLatin1String("%s"), fileName), this)),
      existing_(new QLabel(factsText(facts.existing), this)),
      incoming_(new QLabel(factsText(facts.incoming), this)),
      resume_(new QPushButton(facts.resumeVerified ? uiText("Resume (verified)") : uiText("Resume"), this)), rename_(new QPushButton(uiText("Rename"), this)),
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
    // Names are shown as they are, never read as markup.
    for (QLabel *label : {message_, existing_, incoming_})
        label->setTextFormat(Qt::PlainText);
    auto *files = new QFormLayout;
    files->addRow(uiText("Existing file:"), existing_);
    files->addRow(uiText("New file:"), incoming_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(files);
    layout->addLayout(buttons);
    layout->addWidget(all_);

    // An unattended run must not wait here for ever.
    auto *timeout = new QTimer(this);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, this, [this] { choose(ExistingFileAnswer::Resume); });
    timeout->start(durations::get(durations::Kind::DialogTimeout));
    rejectOnWorkerStop(this);
}

QString ExistingFileDialog::factsText(const FileFacts &facts)
{
    QStringList parts;
    if (facts.size >= 0)
        parts << uiText("%1 bytes").arg(groupedNumberText(facts.size));
    if (!facts.date.isEmpty())
        parts << facts.date;
    return parts.isEmpty() ? uiText("not known") : parts.join(QStringLiteral("   "));
}

void ExistingFileDialog::choose(ExistingFileAnswer::Choice choice)
{
    answer_ = {choice, all_->isChecked()};
    accept();
}

ExistingFileAnswer askExistingFileWithDialog(const QString &fileName, bool upload, bool resumePossible,
                                             const ExistingFileFacts &facts, QWidget *parent)
{
    ExistingFileDialog dialog(fileName, upload, resumePossible, facts, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.answer();
}
