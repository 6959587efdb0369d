#include "shell/generalset.h"

#include "platform/appsettings.h"
#include "platform/settingsstore.h"
#include "platform/uitext.h"
#include "shell/pagevalidation.h"
#include "sites/sitepasswordmover.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int retriesMaximum = AppSettings::retriesMaximum;
constexpr int retryDelayMaximum = AppSettings::retryDelayMaximum;
constexpr int emailLimit = 256;
constexpr int downloadLimit = 500;

QLineEdit *makeEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QLabel *makeLabel(QWidget *parent, const char *text, char key, QWidget *buddy)
{
    auto *label = new QLabel(UiText::withAccessKey(text, key), parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CGeneralSet::CGeneralSet(QWidget *parent)
    : QWidget(parent), retries_(makeEdit(this, "retries")), retryDelay_(makeEdit(this, "retryDelay")),
      email_(makeEdit(this, "email")), download_(makeEdit(this, "download")),
      browse_(new QPushButton(UiText::withAccessKey("Browse...", 'B'), this)),
      keyring_(new QCheckBox(UiText::withAccessKey("Keep site passwords in the system keyring", 'K'), this))
{
    keyring_->setObjectName(QStringLiteral("keyring"));
    setObjectName(QStringLiteral("generalPage"));
    browse_->setObjectName(QStringLiteral("browse"));
    browse_->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(makeLabel(this, QT_TRANSLATE_NOOP("UiText", "Number of retries:"), 'N', retries_), 0, 0);
    grid->addWidget(retries_, 0, 1);
    grid->addWidget(makeLabel(this, QT_TRANSLATE_NOOP("UiText", "Retry delay:"), 'R', retryDelay_), 1, 0);
    grid->addWidget(retryDelay_, 1, 1);
    grid->addWidget(new QLabel(UiText::tr("seconds"), this), 1, 2);
    grid->addWidget(makeLabel(this, QT_TRANSLATE_NOOP("UiText", "E-mail:"), 'E', email_), 2, 0);
    grid->addWidget(email_, 2, 1, 1, 2);
    grid->addWidget(makeLabel(this, QT_TRANSLATE_NOOP("UiText", "Default download:"), 'D', download_), 3, 0);
    grid->addWidget(download_, 3, 1);
    grid->addWidget(browse_, 3, 2);
    grid->addWidget(keyring_, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    connect(keyring_, &QCheckBox::clicked, this, &CGeneralSet::modified);

    for (QLineEdit *edit : {retries_, retryDelay_, email_, download_})
        connect(edit, &QLineEdit::textEdited, this, &CGeneralSet::modified);
    connect(browse_, &QPushButton::clicked, this, &CGeneralSet::browseForFolder);
}

void CGeneralSet::loadSettings()
{
    const AppSettings &settings = appSettings();
    retries_->setText(QString::number(settings.retryCount));
    retryDelay_->setText(QString::number(settings.retryDelaySeconds));
    email_->setText(settings.emailAddress);
    download_->setText(settings.downloadFolder);
    keyring_->setChecked(settings.keepPasswordsInKeyring != 0);
}

bool CGeneralSet::validate()
{
    using namespace pagevalidation;
    return readNumberBox(retries_, false, 0, retriesMaximum, &retryCount_) &&
           readNumberBox(retryDelay_, false, 0, retryDelayMaximum, &retryDelaySeconds_) &&
           readTextBox(email_, emailLimit, &emailAddress_) &&
           readTextBox(download_, downloadLimit, &downloadFolder_);
}

void CGeneralSet::apply()
{
    AppSettings &settings = appSettings();
    settings.retryCount = retryCount_;
    settings.retryDelaySeconds = retryDelaySeconds_;
    settings.emailAddress = emailAddress_;
    settings.downloadFolder = downloadFolder_;

    using namespace settingsstore;
    const QString section = QString::fromLatin1(applSet);
    writeInt(section, QStringLiteral("Retry"), retryCount_);
    writeInt(section, QStringLiteral("RetryTime"), retryDelaySeconds_);
    writeString(section, QStringLiteral("EMail"), emailAddress_);
    writeString(section, QStringLiteral("Download"), downloadFolder_);

    const int keyring = keyring_->isChecked() ? 1 : 0;
    if (settings.keepPasswordsInKeyring.exchange(keyring) != keyring) {
        writeInt(section, QLatin1String(keyringPasswordsName), keyring);
        // The passwords move now, in the background: the one way the files and the keyring
        // change their roles.
        sitePasswords().synchronise(keyring != 0);
    }
}

void CGeneralSet::browseForFolder()
{
    // The picker opens on the folder in force, not on what the box holds now.
    QFileDialog picker(this, UiText::tr("Default download:"), appSettings().downloadFolder);
    picker.setObjectName(QStringLiteral("downloadFolderPicker"));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty())
        return;
    download_->setText(picker.selectedFiles().constFirst());
    emit modified();
}
