#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The server certificates the user chose to trust always, by host and port: one line each,
// "host<TAB>port<TAB>SHA-256 fingerprint". The file lives in the data folder, readable by the
// user alone, and is replaced whole, never left half-written. Lines that are not sound are
// skipped, so a damaged file still yields what it holds of worth.
class KnownCertificates
{
public:
    // The file in the data folder.
    [[nodiscard]] static QString defaultPath();

    // What the file holds; empty when it is missing or unreadable.
    [[nodiscard]] static KnownCertificates load(const QString &path);
    [[nodiscard]] static KnownCertificates parse(const QByteArray &bytes);
    [[nodiscard]] QByteArray serialized() const;
    // Written atomically with mode 0600.
    bool save(const QString &path) const;

    [[nodiscard]] std::optional<QByteArray> fingerprintFor(const QString &host, int port) const;
    // False when the host, port or fingerprint would not read back as given.
    bool remember(const QString &host, int port, const QByteArray &fingerprint);
    [[nodiscard]] qsizetype size() const { return entries_.size(); }

    // A fingerprint as TlsChannel writes it: 32 upper-case hex pairs joined by colons.
    [[nodiscard]] static bool isFingerprint(const QByteArray &text);

private:
    QHash<QString, QByteArray> entries_;
};
