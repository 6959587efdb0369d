#include "shell/progressstatusbar.h"

#include "engine/transfertexts.h"
#include "platform/filerow.h"
#include "platform/uitext.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>

#include <algorithm>

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

QProgressBar *makeBar(QWidget *parent, int width)
{
    auto *bar = new QProgressBar(parent);
    bar->setFixedWidth(width);
    bar->setRange(0, 100);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    bar->hide();
    return bar;
}

// The texts shown hold no %p, %v or %m, which the bar's format would replace.
void showOnBar(QProgressBar *bar, const QString &text, int percent)
{
    if (text.trimmed().isEmpty() || percent < 0) {
        bar->hide();
        bar->reset();
        bar->setFormat(QString());
        return;
    }
    bar->setFormat(text);
    bar->setValue(percent);
    bar->show();
}

} // namespace

ProgressStatusBar::ProgressStatusBar(QWidget *parent)
    : QStatusBar(parent), fileBar_(makeBar(this, paneWidth)), ratePane_(makePane(this)),
      runBar_(makeBar(this, paneWidth * 3 / 2)), encryptionPane_(makePane(this)),
      progressText_(QStringLiteral(" ")), rateText_(QStringLiteral(" "))
{
    fileBar_->setObjectName(QStringLiteral("fileBar"));
    ratePane_->setObjectName(QStringLiteral("ratePane"));
    runBar_->setObjectName(QStringLiteral("runBar"));
    addPermanentWidget(fileBar_);
    addPermanentWidget(ratePane_);
    addPermanentWidget(runBar_);
    encryptionPane_->setObjectName(QStringLiteral("encryptionPane"));
    encryptionPane_->setFixedWidth(paneWidth * 3 / 4);
    addPermanentWidget(encryptionPane_);
}

void ProgressStatusBar::SetEncryption(bool connected, bool control, bool data)
{
    QString text = QStringLiteral(" ");
    if (connected && control && data)
        text = UiText::tr("Encrypted (TLS)");
    else if (connected && control)
        text = UiText::tr("Files not encrypted");
    else if (connected)
        text = UiText::tr("Not encrypted");
    encryptionPane_->setText(text);
    encryptionPane_->setToolTip(connected && !(control && data)
                                    ? UiText::tr("Listings and files cross the network in clear")
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
        if (text.trimmed().isEmpty())
            filePercent_ = -1;
    }
    scheduleUpdate();
}

void ProgressStatusBar::SetFileProgress(qint64 done, qint64 total)
{
    {
        std::lock_guard lock(mutex_);
        progressText_ = ProgressText(done, total);
        filePercent_ = TransferPercent(done, total);
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

void ProgressStatusBar::SetRunProgress(int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal)
{
    const QString text = UiText::tr("%1 of %2 files, %3 of %4 bytes")
                             .arg(filesDone)
                             .arg(filesTotal)
                             .arg(groupedNumberText(bytesDone), groupedNumberText(bytesTotal));
    // An empty run (only empty files) is whole once its files are.
    const int percent = bytesTotal > 0 ? TransferPercent(bytesDone, bytesTotal) : TransferPercent(filesDone, filesTotal);
    showOnBar(runBar_, text, percent);
    runBar_->setToolTip(text);
}

void ProgressStatusBar::ClearProgress()
{
    SetProgressText(QString());
    SetRateText(QString());
    showOnBar(runBar_, QString(), -1);
    runBar_->setToolTip(QString());
    applyTexts();
}

QString ProgressStatusBar::progressText() const
{
    std::lock_guard lock(mutex_);
    return progressText_.trimmed().isEmpty() ? QString() : progressText_;
}

QString ProgressStatusBar::rateText() const
{
    std::lock_guard lock(mutex_);
    return rateText_;
}

QString ProgressStatusBar::runText() const
{
    return runBar_->isHidden() ? QString() : runBar_->text();
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
    int percent = -1;
    {
        std::lock_guard lock(mutex_);
        progress = progressText_;
        rate = rateText_;
        percent = filePercent_;
    }
    // A text given without its numbers shows on an empty bar.
    showOnBar(fileBar_, progress, progress.trimmed().isEmpty() ? -1 : std::max(percent, 0));
    ratePane_->setText(rate.isEmpty() ? QStringLiteral(" ") : rate);
    fileBar_->repaint();
    ratePane_->repaint();
}
