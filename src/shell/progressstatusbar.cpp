#include "shell/progressstatusbar.h"

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
    : QStatusBar(parent), progressPane_(makePane(this)), ratePane_(makePane(this)),
      progressText_(QStringLiteral(" ")), rateText_(QStringLiteral(" "))
{
    progressPane_->setObjectName(QStringLiteral("progressPane"));
    ratePane_->setObjectName(QStringLiteral("ratePane"));
    addPermanentWidget(progressPane_);
    addPermanentWidget(ratePane_);
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
