#include "platform/settingsstore.h"

#include <QSettings>

namespace settingsstore {
namespace {

QString key(const QString &section, const QString &name) { return section + QLatin1Char('/') + name; }

QSettings &store()
{
    static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"),
                              QStringLiteral("Tidewell"));
    return settings;
}

} // namespace

int readInt(const QString &section, const QString &name, int defaultValue)
{
    const QVariant value = store().value(key(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

QString readString(const QString &section, const QString &name, const QString &defaultValue)
{
    const QVariant value = store().value(key(section, name));
    return value.isValid() ? value.toString() : defaultValue;
}

void writeInt(const QString &section, const QString &name, int value)
{
    store().setValue(key(section, name), value);
    store().sync();
}

void writeString(const QString &section, const QString &name, const QString &value)
{
    store().setValue(key(section, name), value);
    store().sync();
}

} // namespace settingsstore
