#include "shell/updatedialog.h"

#include "platform/uitext.h"
#include "shell/weblinks.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// The values come from the network: shown as plain text, never as markup.
QLabel *valueLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace

UpdateDialog::UpdateDialog(const VersionFile &file, QWidget *parent)
    : QDialog(parent), version_(valueLabel(file.versionText, "version", this)),
      release_(valueLabel(file.releaseText, "release", this)),
      download_(new QPushButton(UiText::withAccessKey("Download", 'D'), this)),
      homepage_(new QPushButton(UiText::withAccessKey("Visit homepage", 'V'), this)),
      downloadAddress_(file.downloadAddress)
{
    setObjectName(QStringLiteral("updateDialog"));
    setWindowTitle(UiText::tr("update"));
    download_->setObjectName(QStringLiteral("download"));
    homepage_->setObjectName(QStringLiteral("visitHomepage"));
    download_->setDefault(true);

    auto *form = new QFormLayout;
    form->addRow(UiText::tr("Version:"), version_);
    form->addRow(UiText::tr("Release:"), release_);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(download_, QDialogButtonBox::AcceptRole);
    buttons->addButton(homepage_, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(UiText::tr("Upgraded program detected."), this));
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(download_, &QPushButton::clicked, this, [this] {
        (void)openDownloadAddress(downloadAddress_);
        accept();
    });
    connect(homepage_, &QPushButton::clicked, this, [this] {
        openHomepage();
        accept();
    });
}
