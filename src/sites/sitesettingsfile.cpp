#include "sites/sitesettingsfile.h"

#include "platform/namecodec.h"
#include "sites/sitefield.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QSaveFile>

#include <array>
#include <utility>

namespace
{

const QByteArray header = QByteArrayLiteral("TIDEWELL SITE SETTINGS 1");
const QByteArray encryptionKey = QByteArrayLiteral("encryption=");
const QByteArray keyringKey = QByteArrayLiteral("keyring=");
const QByteArray charsetKey = QByteArrayLiteral("charset=");

constexpr std::array<std::pair<Encryption, const char *>, 4> encryptionWords = {{
    {Encryption::Plain, "plain"},
    {Encryption::ExplicitIfOffered, "explicit-if-offered"},
    {Encryption::ExplicitRequired, "explicit-required"},
    {Encryption::Implicit, "implicit"},
}};

using SiteKey = std::pair<QByteArray, QByteArray>;

// A site is named by the stored bytes of its folder's name and of its own; a site whose folder
// index fits no folder (a damaged file) has no folder name.
SiteKey keyOf(const SiteList &list, const SiteRecord &site)
{
    const bool inFolder = site.folderIndex >= 0 && size_t(site.folderIndex) < list.folders.size();
    return {inFolder ? sitefield::bytes(list.folders[size_t(site.folderIndex)].folderName) : QByteArray(),
            sitefield::bytes(site.siteName)};
}

bool readEncryption(const QByteArray &word, Encryption &encryption)
{
    for (const auto &[value, name] : encryptionWords) {
        if (word == name) {
            encryption = value;
            return true;
        }
    }
    return false;
}

// One line: the folder, the site and the settings, separated by tabs. A setting this version
// does not know is passed over, so that a newer file still gives what this one understands.
bool readLine(const QByteArray &line, SiteKey &key, SiteSettings &settings)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() < 3)
        return false;
    key = {QByteArray::fromPercentEncoding(fields[0]), QByteArray::fromPercentEncoding(fields[1])};
    // Longer names fit no stored field, so no site can carry them.
    if (key.first.size() >= qsizetype(sizeof(SiteFolder::folderName)) ||
        key.second.size() >= qsizetype(sizeof(SiteRecord::siteName)))
        return false;
    bool encryptionRead = false;
    for (qsizetype i = 2; i < fields.size(); ++i) {
        if (fields[i].startsWith(encryptionKey))
            encryptionRead = readEncryption(fields[i].mid(encryptionKey.size()), settings.encryption);
        else if (fields[i].startsWith(keyringKey))
            settings.keyringKey =
                QString::fromUtf8(QByteArray::fromPercentEncoding(fields[i].mid(keyringKey.size())));
        else if (fields[i].startsWith(charsetKey)) {
            // A set this build cannot convert reads as automatic rather than costing the line.
            const QByteArray charset = QByteArray::fromPercentEncoding(fields[i].mid(charsetKey.size()));
            settings.charset = namecodec::isKnownCharset(charset) ? charset : QByteArray();
        }
    }
    return encryptionRead;
}

} // namespace

QByteArray siteSettingsBytes(const SiteList &list)
{
    QByteArray out = header + '\n';
    for (size_t i = 0; i < list.sites.size(); ++i) {
        const SiteKey key = keyOf(list, list.sites[i]);
        const SiteSettings settings = i < list.settings.size() ? list.settings[i] : SiteSettings{};
        out += key.first.toPercentEncoding() + '\t' + key.second.toPercentEncoding() + '\t' + encryptionKey;
        for (const auto &[value, name] : encryptionWords)
            if (value == settings.encryption)
                out += name;
        if (!settings.keyringKey.isEmpty())
            out += '\t' + keyringKey + settings.keyringKey.toUtf8().toPercentEncoding();
        if (!settings.charset.isEmpty())
            out += '\t' + charsetKey + settings.charset.toPercentEncoding();
        out += '\n';
    }
    return out;
}

int readSiteSettings(const QByteArray &bytes, SiteList &list)
{
    list.settings.assign(list.sites.size(), SiteSettings{});
    const QByteArray read = bytes.left(siteSettingsMaximumBytes);
    // The limit may cut the last line read.
    const bool lastCut = bytes.size() > read.size() && !read.endsWith('\n');
    QList<QByteArray> lines = read.split('\n');
    // A file edited elsewhere may end its lines with CR LF.
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    lines.removeIf([](const QByteArray &line) { return line.isEmpty(); });
    if (lines.isEmpty())
        return 0;
    if (lines.constFirst() != header)
        return int(lines.size());

    // Sites of the same name take the file's entries of that name in order.
    QHash<SiteKey, QList<SiteSettings>> entries;
    int skipped = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        SiteKey key;
        SiteSettings settings;
        const bool cut = lastCut && i == lines.size() - 1;
        if (cut || !readLine(lines[i], key, settings))
            ++skipped;
        else
            entries[key].append(settings);
    }
    for (size_t i = 0; i < list.sites.size(); ++i) {
        auto found = entries.find(keyOf(list, list.sites[i]));
        if (found != entries.end() && !found->isEmpty())
            list.settings[i] = found->takeFirst();
    }
    return skipped;
}

int loadSiteSettings(const QString &folder, SiteList &list)
{
    QFile file(folder + QLatin1String(siteSettingsFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        list.settings.assign(list.sites.size(), SiteSettings{});
        return 0;
    }
    // One byte beyond the limit tells a file that is too long from one that fits exactly.
    return readSiteSettings(file.read(siteSettingsMaximumBytes + 1), list);
}

bool saveSiteSettings(const QString &folder, const SiteList &list)
{
    QSaveFile file(folder + QLatin1String(siteSettingsFileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = siteSettingsBytes(list);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
