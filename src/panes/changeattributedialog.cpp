#include "panes/changeattributedialog.h"

#include "panes/dialogbuttons.h"
#include "platform/uitext.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

int modeFromAttributes(QStringView attributes)
{
    int mode = 0;
    for (const PermissionBox &box : permissionBoxes) {
        if (box.position < attributes.size() && attributes[box.position] == QLatin1Char(box.letter))
            mode += box.value;
    }
    return mode;
}

ChangeAttributeDialog::ChangeAttributeDialog(QStringView attributes, QWidget *parent)
    : QDialog(parent), edit_(new QLineEdit(this))
{
    setWindowTitle(UiText::tr("Change File Attribute"));
    auto *layout = new QVBoxLayout(this);
    auto *groups = new QHBoxLayout;
    const char *groupNames[] = {QT_TRANSLATE_NOOP("UiText", "Owner"), QT_TRANSLATE_NOOP("UiText", "Group"),
                                QT_TRANSLATE_NOOP("UiText", "Public")};
    const char *boxNames[] = {QT_TRANSLATE_NOOP("UiText", "Read"), QT_TRANSLATE_NOOP("UiText", "Write"),
                              QT_TRANSLATE_NOOP("UiText", "Execute")};
    for (int group = 0; group < 3; ++group) {
        auto *box = new QGroupBox(UiText::tr(groupNames[group]), this);
        auto *column = new QVBoxLayout(box);
        for (int kind = 0; kind < 3; ++kind) {
            const int index = group * 3 + kind;
            auto *check = new QCheckBox(UiText::tr(boxNames[kind]), box);
            check->setObjectName(QStringLiteral("box%1").arg(permissionBoxes[size_t(index)].controlId));
            boxes_[size_t(index)] = check;
            column->addWidget(check);
        }
        groups->addWidget(box);
    }
    layout->addLayout(groups);

    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(UiText::tr("Mode:"), this));
    edit_->setObjectName(QStringLiteral("mode"));
    modeRow->addWidget(edit_);
    layout->addLayout(modeRow);
    layout->addWidget(okCancelButtons(this));

    mode_ = modeFromAttributes(attributes);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const PermissionBox &box = permissionBoxes[i];
        boxes_[i]->setChecked(box.position < attributes.size() &&
                              attributes[box.position] == QLatin1Char(box.letter));
        connect(boxes_[i], &QCheckBox::toggled, this,
                [this, i](bool checked) { boxToggled(int(i), checked); });
    }
    edit_->setText(QString::number(mode_));
}

void ChangeAttributeDialog::boxToggled(int index, bool checked)
{
    const int value = permissionBoxes[size_t(index)].value;
    mode_ += checked ? value : -value;
    // Whatever was typed gives way to the boxes.
    edit_->setText(QString::number(mode_));
}

void ChangeAttributeDialog::accept()
{
    bool number = false;
    const int value = edit_->text().trimmed().toInt(&number);
    if (!number) {
        QMessageBox::warning(this, windowTitle(), UiText::tr("Please enter an integer."));
        return;
    }
    if (value < 0 || value > maxMode) {
        QMessageBox::warning(this, windowTitle(),
                             UiText::tr("Please enter an integer between %1 and %2.").arg(0).arg(maxMode));
        return;
    }
    accepted_ = value;
    QDialog::accept();
}
