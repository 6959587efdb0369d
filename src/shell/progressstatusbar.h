#pragma once

#include <QStatusBar>
#include <QString>

#include <atomic>
#include <mutex>

class QLabel;

// The frame's status bar: the message pane, then the transfer's bytes and percentage, then its
// rate and time left, each of those two 200 pixels wide. The transfer loops call the setters
// from the worker for every block; only the latest text is shown, so a long download queues
// at most one repaint at a time.
class ProgressStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit ProgressStatusBar(QWidget *parent = nullptr);

    // Callable from any thread.
    void SetProgressText(const QString &text);
    void SetRateText(const QString &text);

    QString progressText() const;
    QString rateText() const;

private:
    void scheduleUpdate();
    void applyTexts();

    QLabel *progressPane_;
    QLabel *ratePane_;
    mutable std::mutex mutex_;
    QString progressText_;
    QString rateText_;
    std::atomic<bool> updatePending_{false};
};
