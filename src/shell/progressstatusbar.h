#pragma once

#include <QStatusBar>
#include <QString>

#include <atomic>
#include <mutex>

class QLabel;
class QProgressBar;

// The frame's status bar: the message pane, then a bar for the file in transfer (its bytes and
// percentage), its rate and time left, a bar for the whole run of the queue (files and bytes), and
// whether the session is encrypted. The bars show only while there is something to show. The
// transfer loops' read-outs may come from any thread; only the latest is shown, so a long
// download queues at most one repaint at a time.
class ProgressStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit ProgressStatusBar(QWidget *parent = nullptr);

    // Callable from any thread. An empty text clears its pane (and the file's bar).
    void SetProgressText(const QString &text);
    void SetRateText(const QString &text);
    // The file's bar: `done` bytes of `total`, with ProgressText's words. Any thread.
    void SetFileProgress(qint64 done, qint64 total);
    // The run's bar. Window thread.
    void SetRunProgress(int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal);
    // Every read-out of a transfer gone: the job has ended. Window thread.
    void ClearProgress();

    QString progressText() const;
    QString rateText() const;
    QString runText() const;

    // The session's protection: both connections encrypted, only the control connection, or
    // neither; blank without a session. Window thread.
    void SetEncryption(bool connected, bool control, bool data);
    QString encryptionText() const;

private:
    void scheduleUpdate();
    void applyTexts();

    QProgressBar *fileBar_;
    QLabel *ratePane_;
    QProgressBar *runBar_;
    QLabel *encryptionPane_;
    mutable std::mutex mutex_;
    QString progressText_;
    QString rateText_;
    int filePercent_ = -1; // -1: no bar
    std::atomic<bool> updatePending_{false};
};
