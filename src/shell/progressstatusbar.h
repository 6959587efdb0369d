#pragma once

#include <QStatusBar>
#include <QString>

#include <atomic>
#include <mutex>

class QLabel;

// The frame's status bar: the message pane, then the transfer's bytes and percentage, then its
// rate and time left, each of those two 200 pixels wide, then whether the session is encrypted. The transfer loops call the setters
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

    // The session's protection: both connections encrypted, only the control connection, or
    // neither; blank without a session. Window thread.
    void SetEncryption(bool connected, bool control, bool data);
    QString encryptionText() const;

private:
    void scheduleUpdate();
    void applyTexts();

    QLabel *progressPane_;
    QLabel *ratePane_;
    QLabel *encryptionPane_;
    mutable std::mutex mutex_;
    QString progressText_;
    QString rateText_;
    std::atomic<bool> updatePending_{false};
};
