#include "fakenotifications.h"

#include <QStandardPaths>

namespace testsupport
{

PrivateBus::PrivateBus()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        failure_ = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    daemon_.setProgram(program);
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(5000)) {
        failure_ = QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
        return;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty())
        failure_ = QStringLiteral("dbus-daemon printed no address: ") + QString::fromUtf8(daemon_.readAllStandardError());
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(names_))
        QDBusConnection::disconnectFromBus(name);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
}

QDBusConnection PrivateBus::connect(const QString &name) const
{
    names_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}

FakeNotifications::FakeNotifications(const QDBusConnection &bus, Mode mode) : bus_(bus), mode_(mode)
{
    registered_ = bus_.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
                  bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                      QDBusConnection::ExportScriptableSlots);
}

FakeNotifications::~FakeNotifications()
{
    bus_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    bus_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

uint FakeNotifications::Notify(const QString &appName, uint, const QString &, const QString &summary,
                               const QString &body, const QStringList &, const QVariantMap &, int)
{
    notices.append({appName, summary, body});
    // The answer is promised and never given: the caller waits for it as for a hung service.
    if (mode_ == Mode::Hang)
        setDelayedReply(true);
    return uint(notices.size());
}

} // namespace testsupport
