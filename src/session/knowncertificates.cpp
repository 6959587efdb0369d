#include "session/knowncertificates.h"

#include "platform/programpaths.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace
{

// Far more than anyone trusts by hand; a bigger file is not ours and is read no further.
constexpr qint64 maxFileBytes = 1 << 20;
constexpr qsizetype maxEntries = 10000;
constexpr qsizetype maxHostLength = 255;

QString keyOf(const QString &host, int port)
{
    return host.toLower() + QLatin1Char('\t') + QString::number(port);
}

bool soundHost(const QString &host)
{
    return !host.isEmpty() && host.size() <= maxHostLength &&
           std::none_of(host.begin(), host.end(), [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; });
}

} // namespace

QString KnownCertificates::defaultPath()
{
    return programpaths::programFolder() + QStringLiteral("known-certificates");
}

bool KnownCertificates::isFingerprint(const QByteArray &text)
{
    if (text.size() != 32 * 3 - 1)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool ok = i % 3 == 2 ? c == ':' : ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        if (!ok)
            return false;
    }
    return true;
}

KnownCertificates KnownCertificates::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.read(maxFileBytes));
}

KnownCertificates KnownCertificates::parse(const QByteArray &bytes)
{
    KnownCertificates known;
    for (const QByteArray &line : bytes.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() != 3)
            continue;
        bool numeric = false;
        const int port = fields[1].toInt(&numeric);
        if (!numeric || !known.remember(QString::fromUtf8(fields[0]), port, fields[2]))
            continue;
        if (known.size() >= maxEntries)
            break;
    }
    return known;
}

QByteArray KnownCertificates::serialized() const
{
    QList<QString> keys = entries_.keys();
    std::sort(keys.begin(), keys.end());
    QByteArray bytes;
    for (const QString &key : keys)
        bytes += key.toUtf8() + '\t' + entries_.value(key) + '\n';
    return bytes;
}

bool KnownCertificates::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Before the first byte: the temporary file is never readable by others either.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(serialized());
    return file.commit();
}

std::optional<QByteArray> KnownCertificates::fingerprintFor(const QString &host, int port) const
{
    const auto found = entries_.constFind(keyOf(host, port));
    if (found == entries_.constEnd())
        return std::nullopt;
    return *found;
}

bool KnownCertificates::remember(const QString &host, int port, const QByteArray &fingerprint)
{
    if (!soundHost(host) || host.contains(QLatin1Char('\t')) || port < 1 || port > 65535 || !isFingerprint(fingerprint))
        return false;
    if (!entries_.contains(keyOf(host, port)) && entries_.size() >= maxEntries)
        return false;
    entries_.insert(keyOf(host, port), fingerprint);
    return true;
}
