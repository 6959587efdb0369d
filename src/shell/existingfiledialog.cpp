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
          new QLabel(UiText::tr("The file %s already exists.").replace(QLatin1String("%s"), fileName), this)),
      existing_(new QLabel(factsText(facts.existing), this)),
      incoming_(new QLabel(factsText(facts.incoming), this)),
      resume_(new QPushButton(facts.resumeVerified ? UiText::tr("Resume (verified)") : UiText::tr("Resume"),
                              this)),
      rename_(new QPushButton(UiText::tr("Rename"), this)),
      overwrite_(new QPushButton(UiText::tr("Overwrite"), this)),
      skip_(new QPushButton(UiText::tr("Skip"), this)), all_(new QCheckBox(UiText::tr("All"), this)),
      resumePossible_(resumePossible)
{
    setWindowTitle(UiText::tr("Select"));
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
    files->addRow(UiText::tr("Existing file:"), existing_);
    files->addRow(UiText::tr("New file:"), incoming_);
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
        parts << UiText::tr("%1 bytes").arg(groupedNumberText(facts.size));
    if (!facts.date.isEmpty())
        parts << facts.date;
    return parts.isEmpty() ? UiText::tr("not known") : parts.join(QStringLiteral("   "));
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
