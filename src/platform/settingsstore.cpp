#include "platform/settingsstore.h"

#include <QFile>
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

// The store holds the password of the last session: it is for the user's eyes only.
void syncPrivately()
{
    QSettings &settings = store();
    settings.sync();
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QString fileName = settings.fileName();
    if (QFile::exists(fileName) && (QFile::permissions(fileName) & others))
        QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
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
    syncPrivately();
}

void writeString(const QString &section, const QString &name, const QString &value)
{
    store().setValue(key(section, name), value);
    syncPrivately();
}

} // namespace settingsstore
