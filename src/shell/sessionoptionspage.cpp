#include "shell/sessionoptionspage.h"

#include "platform/appsettings.h"
#include "platform/settingsstore.h"
#include "platform/uitext.h"
#include "shell/pagevalidation.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

constexpr int extensionsLimit = 256;
constexpr int keepAliveMaximum = AppSettings::keepAliveMaximum;

} // namespace

CSpecialSet::CSpecialSet(QWidget *parent)
    : QWidget(parent), afterTransfer_(new QButtonGroup(this)),
      keepConnection_(new QCheckBox(UiText::withAccessKey("Keep connection", 'K'), this)),
      extensions_(new QLineEdit(this)), keepAlive_(new QLineEdit(this)),
      sound_(new QCheckBox(UiText::withAccessKey("Sound Effect", 'E'), this)),
      passive_(new QCheckBox(UiText::withAccessKey("Passive mode", 'P'), this)),
      verifyChecksums_(
          new QCheckBox(UiText::withAccessKey("Verify checksums after each transfer", 'V'), this)),
      keepFileTimes_(
          new QCheckBox(UiText::withAccessKey("Keep the modified time of transferred files", 'M'), this)),
      simultaneous_(new QSpinBox(this))
{
    setObjectName(QStringLiteral("specialPage"));
    keepConnection_->setObjectName(QStringLiteral("keepConnection"));
    extensions_->setObjectName(QStringLiteral("asciiExtensions"));
    keepAlive_->setObjectName(QStringLiteral("keepAlive"));
    sound_->setObjectName(QStringLiteral("sound"));
    passive_->setObjectName(QStringLiteral("passive"));
    verifyChecksums_->setObjectName(QStringLiteral("verifyChecksums"));
    keepFileTimes_->setObjectName(QStringLiteral("keepFileTimes"));
    simultaneous_->setObjectName(QStringLiteral("simultaneousTransfers"));
    simultaneous_->setRange(1, AppSettings::simultaneousMaximum);

    auto *afterBox = new QGroupBox(UiText::withAccessKey("After transfer(this time only)", 'F'), this);
    auto *afterLayout = new QVBoxLayout(afterBox);
    const std::pair<const char *, char> choices[] = {{QT_TRANSLATE_NOOP("UiText", "Not use"), 'N'},
                                                     {QT_TRANSLATE_NOOP("UiText", "Disconnect"), 'D'},
                                                     {QT_TRANSLATE_NOOP("UiText", "Windows shutdown"), 'W'}};
    for (int action = 0; action < 3; ++action) {
        auto *button =
            new QRadioButton(UiText::withAccessKey(choices[action].first, choices[action].second), afterBox);
        button->setObjectName(QStringLiteral("afterTransfer%1").arg(action));
        afterTransfer_->addButton(button, action);
        afterLayout->addWidget(button);
    }

    auto *textBox = new QGroupBox(UiText::withAccessKey("Text file(auto ASCII mode)", 'T'), this);
    auto *textLayout = new QVBoxLayout(textBox);
    textLayout->addWidget(extensions_);

    auto *keepRow = new QHBoxLayout;
    keepRow->addWidget(keepConnection_);
    keepRow->addStretch();
    auto *delayLabel = new QLabel(UiText::withAccessKey("Delay", 'Y'), this);
    delayLabel->setBuddy(keepAlive_);
    keepRow->addWidget(delayLabel);
    keepAlive_->setMaximumWidth(keepAlive_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    keepRow->addWidget(keepAlive_);
    keepRow->addWidget(new QLabel(UiText::tr("min."), this));

    auto *simultaneousRow = new QHBoxLayout;
    auto *simultaneousLabel = new QLabel(UiText::withAccessKey("Simultaneous transfers", 'U'), this);
    simultaneousLabel->setBuddy(simultaneous_);
    simultaneousRow->addWidget(simultaneousLabel);
    simultaneousRow->addWidget(simultaneous_);
    simultaneousRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(afterBox);
    layout->addLayout(keepRow);
    layout->addWidget(textBox);
    layout->addWidget(sound_);
    layout->addWidget(passive_);
    layout->addWidget(verifyChecksums_);
    layout->addWidget(keepFileTimes_);
    layout->addLayout(simultaneousRow);
    layout->addStretch();

    connect(afterTransfer_, &QButtonGroup::idClicked, this, &CSpecialSet::modified);
    for (QCheckBox *box : {keepConnection_, sound_, passive_, verifyChecksums_, keepFileTimes_})
        connect(box, &QCheckBox::clicked, this, &CSpecialSet::modified);
    for (QLineEdit *edit : {extensions_, keepAlive_})
        connect(edit, &QLineEdit::textEdited, this, &CSpecialSet::modified);
    connect(simultaneous_, &QSpinBox::valueChanged, this, &CSpecialSet::modified);
}

QRadioButton *CSpecialSet::afterTransferButton(int action) const
{
    return qobject_cast<QRadioButton *>(afterTransfer_->button(action));
}

void CSpecialSet::loadSettings()
{
    const AppSettings &settings = appSettings();
    // A value outside 0..2 checks no button, and is then read back as "Not use".
    if (QAbstractButton *button = afterTransfer_->button(settings.afterTransferAction))
        button->setChecked(true);
    keepConnection_->setChecked(settings.keepConnection != 0);
    extensions_->setText(settings.asciiExtensions);
    keepAlive_->setText(QString::number(settings.keepAliveMinutes));
    sound_->setChecked(settings.soundEffects != 0);
    passive_->setChecked(settings.passiveMode != 0);
    verifyChecksums_->setChecked(settings.verifyChecksums);
    keepFileTimes_->setChecked(settings.keepFileTimes != 0);
    simultaneous_->setValue(settings.simultaneousTransfers);
}

bool CSpecialSet::validate()
{
    using namespace pagevalidation;
    afterTransferAction_ = std::max(0, afterTransfer_->checkedId());
    return readTextBox(extensions_, extensionsLimit, &asciiExtensions_) &&
           readNumberBox(keepAlive_, true, 0, keepAliveMaximum, &keepAliveMinutes_);
}

void CSpecialSet::apply()
{
    AppSettings &settings = appSettings();
    const int keep = keepConnection_->isChecked() ? 1 : 0;
    const int bell = sound_->isChecked() ? 1 : 0;
    const int passive = passive_->isChecked() ? 1 : 0;
    settings.afterTransferAction = afterTransferAction_;
    settings.keepConnection = keep;
    settings.asciiExtensions = asciiExtensions_;
    settings.keepAliveMinutes = keepAliveMinutes_;
    settings.soundEffects = bell;
    settings.passiveMode = passive;
    settings.verifyChecksums = verifyChecksums_->isChecked();
    settings.keepFileTimes = keepFileTimes_->isChecked() ? 1 : 0;
    settings.simultaneousTransfers = simultaneous_->value();

    using namespace settingsstore;
    const QString section = QString::fromLatin1(applSet);
    writeInt(section, QStringLiteral("KeepConnect"), keep);
    writeInt(section, QStringLiteral("Bell"), bell);
    writeInt(section, QStringLiteral("Passive"), passive);
    writeInt(section, QStringLiteral("VerifyHash"), verifyChecksums_->isChecked() ? 1 : 0);
    writeInt(section, QStringLiteral("KeepFileTime"), keepFileTimes_->isChecked() ? 1 : 0);
    writeInt(section, QStringLiteral("KeepTime"), keepAliveMinutes_);
    writeString(section, QStringLiteral("AsciiFile"), asciiExtensions_);
    writeInt(section, QStringLiteral("Simultaneous"), simultaneous_->value());
}
