#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

namespace testsupport
{

// A bus of the test's own: a dbus-daemon started for it and ended by its process id when this
// goes. isRunning() is false when no daemon could be started (then the tests that need it skip).
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    [[nodiscard]] bool isRunning() const { return !address_.isEmpty(); }
    [[nodiscard]] QString address() const { return address_; }
    // A connection of its own to the bus under that name.
    [[nodiscard]] QDBusConnection connect(const QString &name) const;
    [[nodiscard]] QString failure() const { return failure_; }

private:
    QProcess daemon_;
    QString address_;
    QString failure_;
    mutable QStringList names_;
};

// The desktop's notification service as the tests play it on a private bus: it records every
// Notify, and answers it, or never (a service that hangs).
class FakeNotifications : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    enum class Mode { Answer, Hang };
    // Registers the service on `bus`; registered() is false when the name was taken.
    FakeNotifications(const QDBusConnection &bus, Mode mode);
    ~FakeNotifications() override;

    [[nodiscard]] bool registered() const { return registered_; }

    struct Notice {
        QString appName;
        QString summary;
        QString body;
    };
    QList<Notice> notices;

public slots:
    Q_SCRIPTABLE uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                             const QString &body, const QStringList &actions, const QVariantMap &hints,
                             int expireTimeout);

private:
    QDBusConnection bus_;
    Mode mode_;
    bool registered_ = false;
};

} // namespace testsupport
