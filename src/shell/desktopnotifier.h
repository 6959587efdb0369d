#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Tells the desktop something through its notification service (org.freedesktop.Notifications on
// the session bus). The call goes out without waiting: a service that is missing answers with an
// error, one that hangs is given up after `replyTimeoutMs`; neither holds the window up nor shows
// anything else. Window thread.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultReplyTimeoutMs = 5000;

    explicit DesktopNotifier(QObject *parent = nullptr);

    // The bus to use instead of the session bus.
    void setBus(const QDBusConnection &bus);
    void setReplyTimeout(int milliseconds) { replyTimeoutMs_ = milliseconds; }

    // Sends the notice; false when there is no bus to send it on.
    bool notify(const QString &summary, const QString &body);

signals:
    // The service's answer: shown, or not (an error, no service, no answer in time).
    void answered(bool shown, const QString &error);

private:
    QDBusConnection bus_;
    bool busChosen_ = false;
    int replyTimeoutMs_ = defaultReplyTimeoutMs;
};
