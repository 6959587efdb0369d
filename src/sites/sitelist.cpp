#include "sites/sitelist.h"

#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>

#include <array>
#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr qsizetype headerSize = 11;
constexpr char header011[headerSize] = {'S', 'I', 'T', 'E', 'D', 'A', 'T', '0', '1', '1', '\0'};
constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Reads exactly `size` bytes; false when the file ends (or fails) first.
bool readExactly(QIODevice &file, char *into, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const qint64 got = file.read(into + done, size - done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool readCount(QIODevice &file, std::uint32_t &count)
{
    char bytes[4];
    if (!readExactly(file, bytes, 4))
        return false;
    count = 0;
    for (int i = 0; i < 4; ++i)
        count |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return true;
}

QByteArray countBytes(std::size_t count)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((count >> (8 * i)) & 0xFF);
    return out;
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// The data folder holds passwords in plain text: make it if missing and keep others out of it.
void makePrivateFolder(const QString &folder)
{
    QDir().mkpath(folder);
    struct stat info {
    };
    const QByteArray path = nativePath(folder);
    if (::stat(path.constData(), &info) == 0 && (info.st_mode & 077))
        ::chmod(path.constData(), info.st_mode & 0700);
}

bool writeAll(QFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size();
}

bool writeTemp(const QString &path, const SiteList &list)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly))
        return false;
    // An earlier temporary file keeps its mode through the truncation.
    file.setPermissions(ownerOnly);
    bool ok = writeAll(file, SiteListBytes(list));
    ok = ok && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

} // namespace

void appendSite(SiteList &list, const SiteRecord &site)
{
    list.settings.resize(list.sites.size());
    list.sites.push_back(site);
    list.settings.emplace_back();
}

void removeSite(SiteList &list, size_t index)
{
    if (index < list.settings.size())
        list.settings.erase(list.settings.begin() + qsizetype(index));
    list.sites.erase(list.sites.begin() + qsizetype(index));
}

SiteFileStatus LoadSiteList(const QString &folder, SiteList &list)
{
    QFile file(folder + QLatin1String(siteListFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        list.folders.push_back(SiteFolder::make(0));
        return SiteFileStatus::Missing;
    }
    return ReadSiteList(file, list);
}

SiteFileStatus ReadSiteList(QIODevice &file, SiteList &list)
{
    // Only the version digits count; bytes that a short file lacks read as zero.
    std::array<char, headerSize> header{};
    file.read(header.data(), headerSize);
    qsizetype recordSize = 0;
    if (header[7] == '0' && header[8] == '1' && header[9] == '1')
        recordSize = SiteRecord::size;
    else if (header[7] == '0' && header[8] == '1' && header[9] == '0')
        recordSize = SiteRecord::size010;
    else
        return SiteFileStatus::UnknownVersion;

    // The counts come from the file: records are read one by one until the count or the end of
    // the file, never allocated up front.
    std::uint32_t folderCount = 0;
    if (!readCount(file, folderCount))
        return SiteFileStatus::Truncated;
    std::array<char, SiteFolder::size> folderBytes{};
    for (std::uint32_t i = 0; i < folderCount; ++i) {
        if (!readExactly(file, folderBytes.data(), SiteFolder::size))
            return SiteFileStatus::Truncated;
        list.folders.push_back(SiteFolder::fromBytes(folderBytes.data()));
    }

    std::uint32_t siteCount = 0;
    if (!readCount(file, siteCount))
        return SiteFileStatus::Truncated;
    std::array<char, SiteRecord::size> siteBytes{};
    for (std::uint32_t i = 0; i < siteCount; ++i) {
        if (!readExactly(file, siteBytes.data(), recordSize))
            return SiteFileStatus::Truncated;
        list.sites.push_back(recordSize == SiteRecord::size ? SiteRecord::fromBytes(siteBytes.data())
                                                            : SiteRecord::fromBytes010(siteBytes.data()));
    }
    return SiteFileStatus::Complete;
}

QByteArray SiteListBytes(const SiteList &list)
{
    QByteArray out(header011, headerSize);
    out.reserve(headerSize + 8 + qsizetype(list.folders.size()) * SiteFolder::size +
                qsizetype(list.sites.size()) * SiteRecord::size);
    out += countBytes(list.folders.size());
    for (const SiteFolder &folder : list.folders)
        out += folder.toBytes();
    out += countBytes(list.sites.size());
    for (const SiteRecord &site : list.sites)
        out += site.toBytes();
    return out;
}

SiteFileStatus SaveSiteList(const QString &folder, const SiteList &list)
{
    makePrivateFolder(folder);
    const QString temp = folder + QLatin1String(siteListTempName);
    if (!writeTemp(temp, list)) {
        // A half-written file must never take the place of the previous one.
        QFile::remove(temp);
        return SiteFileStatus::CannotWrite;
    }

    const QByteArray current = nativePath(folder + QLatin1String(siteListFileName));
    const QByteArray backup = nativePath(folder + QLatin1String(siteListBackupName));
    const QByteArray tempPath = nativePath(temp);
    ::unlink(backup.constData());
    // The backup is a second name of the current file, so that "SITELIST.DAT" exists at every
    // moment and the final rename replaces it in one step. Where hard links are not available
    // the current file is moved aside instead and put back if the new one cannot take its place.
    bool movedAside = false;
    if (::link(current.constData(), backup.constData()) != 0 && errno != ENOENT)
        movedAside = ::rename(current.constData(), backup.constData()) == 0;
    ::chmod(backup.constData(), 0600);
    if (::rename(tempPath.constData(), current.constData()) != 0) {
        if (movedAside)
            ::rename(backup.constData(), current.constData());
        return SiteFileStatus::CannotReplace;
    }
    return SiteFileStatus::Complete;
}

SiteFileStatus LoadSiteList(SiteList &list)
{
    return LoadSiteList(programpaths::programFolder(), list);
}

SiteFileStatus SaveSiteList(const SiteList &list)
{
    return SaveSiteList(programpaths::programFolder(), list);
}

void reportSiteFileStatus(SiteFileStatus status)
{
    switch (status) {
    case SiteFileStatus::UnknownVersion:
        QMessageBox::warning(nullptr, QGuiApplication::applicationDisplayName(),
                             loadText(TextId::UnknownDataFile));
        break;
    case SiteFileStatus::CannotWrite: {
        QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                        loadText(TextId::CannotSaveToFile));
        box.exec();
        break;
    }
    case SiteFileStatus::CannotReplace:
        QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(),
                              loadText(TextId::CannotSaveToFile));
        break;
    default:
        break;
    }
}
