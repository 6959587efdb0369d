#include "shell/preferencesdialog.h"

#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "shell/generalset.h"
#include "shell/sessionoptionspage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace
{

constexpr int generalIndex = 0;
constexpr int specialIndex = 1;

} // namespace

PreferencesDialog::PreferencesDialog(QWidget *parent)
    : QDialog(parent), tabs_(new QTabWidget(this)), general_(new CGeneralSet), special_(new CSpecialSet)
{
    setObjectName(QStringLiteral("preferences"));
    setWindowTitle(loadText(TextId::PreferencesTitle));
    tabs_->addTab(general_, UiText::withAccessKey("General", 'G'));
    tabs_->addTab(special_, UiText::withAccessKey("Special", 'S'));

    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(UiText::tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(UiText::tr("Cancel"), QDialogButtonBox::RejectRole);
    apply_ = buttons->addButton(UiText::withAccessKey("Apply", 'A'), QDialogButtonBox::ApplyRole);
    ok_->setDefault(true);
    apply_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (applyPages())
            apply_->setEnabled(false);
    });
    auto enableApply = [this] { apply_->setEnabled(true); };
    connect(general_, &CGeneralSet::modified, this, enableApply);
    connect(special_, &CSpecialSet::modified, this, enableApply);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    // Room for a download folder path without scrolling it at once.
    setMinimumWidth(480);

    showPage(generalIndex);
    connect(tabs_, &QTabWidget::currentChanged, this, &PreferencesDialog::onTabChanged);
}

void PreferencesDialog::showPage(int index)
{
    if (opened_[size_t(index)])
        return;
    opened_[size_t(index)] = true;
    if (index == generalIndex)
        general_->loadSettings();
    else
        special_->loadSettings();
}

bool PreferencesDialog::validatePage(int index)
{
    if (!opened_[size_t(index)])
        return true;
    return index == generalIndex ? general_->validate() : special_->validate();
}

void PreferencesDialog::onTabChanged(int index)
{
    if (switching_)
        return;
    // The page being left is checked first; the tab bar has already moved, so move it back
    // while the check runs and its message points at the right box.
    setFrontPage(current_);
    if (!validatePage(current_))
        return;
    showPage(index);
    setFrontPage(index);
}

bool PreferencesDialog::applyPages()
{
    // Every shown page is checked before any is applied, so a refusal leaves the settings as
    // they were. A page is checked while it is in front, so that its message points at a box the
    // user can see; the page in front is checked first.
    const int front = current_;
    for (int index : {front, generalIndex, specialIndex}) {
        if (index != front && !opened_[size_t(index)])
            continue;
        setFrontPage(index);
        if (!validatePage(index))
            return false;
    }
    setFrontPage(front);
    if (opened_[generalIndex])
        general_->apply();
    if (opened_[specialIndex])
        special_->apply();
    return true;
}

void PreferencesDialog::setFrontPage(int index)
{
    switching_ = true;
    tabs_->setCurrentIndex(index);
    current_ = index;
    switching_ = false;
}

void PreferencesDialog::accept()
{
    if (applyPages())
        QDialog::accept();
}

void openPreferences(QWidget *parent)
{
    PreferencesDialog sheet(parent);
    (void)sheet.exec();
}
