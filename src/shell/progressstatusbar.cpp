#include "shell/progressstatusbar.h"

#include "platform/uitext.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>

namespace
{

constexpr int paneWidth = 200;

QLabel *makePane(QWidget *parent)
{
    auto *pane = new QLabel(QStringLiteral(" "), parent);
    pane->setFixedWidth(paneWidth);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return pane;
}

} // namespace

ProgressStatusBar::ProgressStatusBar(QWidget *parent)
    : QStatusBar(parent), progressPane_(makePane(this)), ratePane_(makePane(this)), encryptionPane_(makePane(this)),
      progressText_(QStringLiteral(" ")), rateText_(QStringLiteral(" "))
{
    progressPane_->setObjectName(QStringLiteral("progressPane"));
    ratePane_->setObjectName(QStringLiteral("ratePane"));
    addPermanentWidget(progressPane_);
    addPermanentWidget(ratePane_);
    encryptionPane_->setObjectName(QStringLiteral("encryptionPane"));
    encryptionPane_->setFixedWidth(paneWidth * 3 / 4);
    addPermanentWidget(encryptionPane_);
}

void ProgressStatusBar::SetEncryption(bool connected, bool control, bool data)
{
    QString text = QStringLiteral(" ");
    if (connected && control && data)
        text = uiText("Encrypted (TLS)");
    else if (connected && control)
        text = uiText("Files not encrypted");
    else if (connected)
        text = uiText("Not encrypted");
    encryptionPane_->setText(text);
    encryptionPane_->setToolTip(connected && !(control && data) ? uiText("Listings and files cross the network in clear")
                                                                : QString());
}

QString ProgressStatusBar::encryptionText() const
{
    return encryptionPane_->text();
}

void ProgressStatusBar::SetProgressText(const QString &text)
{
    {
        std::lock_guard lock(mutex_);
        progressText_ = text;
    }
    scheduleUpdate();
}

void ProgressStatusBar::SetRateText(const QString &text)
{
    {
        std::lock_guard lock(mutex_);
        rateText_ = text;
    }
    scheduleUpdate();
}

QString ProgressStatusBar::progressText() const
{
    std::lock_guard lock(mutex_);
    return progressText_;
}

QString ProgressStatusBar::rateText() const
{
    std::lock_guard lock(mutex_);
    return rateText_;
}

void ProgressStatusBar::scheduleUpdate()
{
    // One queued update at a time: texts set meanwhile are picked up by that update.
    if (updatePending_.exchange(true))
        return;
    QPointer<ProgressStatusBar> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (self)
                self->applyTexts();
        },
        Qt::QueuedConnection);
}

void ProgressStatusBar::applyTexts()
{
    updatePending_ = false;
    QString progress;
    QString rate;
    {
        std::lock_guard lock(mutex_);
        progress = progressText_;
        rate = rateText_;
    }
    progressPane_->setText(progress);
    ratePane_->setText(rate);
    progressPane_->repaint();
    ratePane_->repaint();
}
