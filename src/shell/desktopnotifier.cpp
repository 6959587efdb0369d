#include "shell/desktopnotifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace
{
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent) : QObject(parent), bus_(QString())
{
}

void DesktopNotifier::setBus(const QDBusConnection &bus)
{
    bus_ = bus;
    busChosen_ = true;
}

bool DesktopNotifier::notify(const QString &summary, const QString &body)
{
    if (!busChosen_) {
        bus_ = QDBusConnection::sessionBus();
        busChosen_ = true;
    }
    if (!bus_.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's own).
    // hints: the desktop entry, so that the desktop shows the program's own name and icon.
    QVariantMap hints;
    if (!QGuiApplication::desktopFileName().isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    call << QCoreApplication::applicationName() << uint(0) << QGuiApplication::desktopFileName() << summary << body
         << QStringList() << hints << int(-1);
    // Never started by the bus for us: a desktop without the service does without the notice.
    call.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, replyTimeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<uint> reply = *finished;
        emit answered(!reply.isError(), reply.isError() ? reply.error().name() : QString());
    });
    return true;
}
