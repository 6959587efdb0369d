#include "shell/certificatedialog.h"

#include "platform/durations.h"
#include "platform/uitext.h"
#include "shell/workerstopwatch.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    // Certificate fields come from the server: shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString hostText(const CertificateFacts &facts)
{
    return facts.host + QLatin1Char(':') + QString::number(facts.port);
}

} // namespace

CertificateDialog::CertificateDialog(const CertificateFacts &facts, bool changed, QWidget *parent)
    : QDialog(parent),
      message_(plainLabel(
          changed ? UiText::tr("The certificate of %1 has changed since you chose to trust it. "
                               "Someone may be intercepting the connection.")
                        .arg(hostText(facts))
                  : UiText::tr("The certificate of %1 could not be verified.").arg(hostText(facts)),
          this)),
      details_(plainLabel(facts.fingerprint, this)),
      always_(new QPushButton(UiText::tr("&Trust always"), this)),
      once_(new QPushButton(UiText::tr("Trust &once"), this)),
      cancel_(new QPushButton(UiText::tr("Cancel"), this))
{
    setWindowTitle(changed ? UiText::tr("Warning: server certificate changed")
                           : UiText::tr("Unverified server certificate"));
    details_->setObjectName(QStringLiteral("fingerprint"));
    auto *fields = new QFormLayout;
    fields->addRow(UiText::tr("Subject:"), plainLabel(facts.subject, this));
    fields->addRow(UiText::tr("Issuer:"), plainLabel(facts.issuer, this));
    fields->addRow(UiText::tr("Valid from:"), plainLabel(facts.validFrom, this));
    fields->addRow(UiText::tr("Valid until:"), plainLabel(facts.validUntil, this));
    fields->addRow(UiText::tr("Reason:"), plainLabel(facts.reason, this));
    fields->addRow(UiText::tr("SHA-256 fingerprint:"), details_);

    connect(always_, &QPushButton::clicked, this, [this] { choose(CertificateAnswer::TrustAlways); });
    connect(once_, &QPushButton::clicked, this, [this] { choose(CertificateAnswer::TrustOnce); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {always_, once_, cancel_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    cancel_->setDefault(true);
    cancel_->setFocus();

    auto *top = new QHBoxLayout;
    auto *icon = new QLabel(this);
    const auto pixmap = changed ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning;
    icon->setPixmap(style()->standardIcon(pixmap).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(message_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    // Unattended, nobody trusts anything.
    auto *timeout = new QTimer(this);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, this, &QDialog::reject);
    timeout->start(durations::get(durations::Kind::DialogTimeout));
    rejectOnWorkerStop(this);
}

void CertificateDialog::choose(CertificateAnswer answer)
{
    answer_ = answer;
    accept();
}

CertificateAnswer askCertificateWithDialog(const CertificateFacts &facts, bool changed, QWidget *parent)
{
    CertificateDialog dialog(facts, changed, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.answer() : CertificateAnswer::Cancel;
}
