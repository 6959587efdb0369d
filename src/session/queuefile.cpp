#include "session/queuefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace queuefile
{
namespace
{

void putInt(char *out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
}

quint32 getInt(const char *in)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= quint32(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

void putText(char *out, const QByteArray &text, qsizetype width)
{
    std::memcpy(out, text.constData(), size_t(std::min(text.size(), width)));
}

QByteArray getText(const char *in, qsizetype width)
{
    const void *end = std::memchr(in, 0, size_t(width));
    return QByteArray(in, end ? static_cast<const char *>(end) - in : width);
}

QueueItem decodeRecord(const char *record)
{
    QueueItem item;
    item.name = getText(record + nameOffset, pathWidth);
    item.destination = getText(record + destinationOffset, pathWidth);
    item.direction = getInt(record + directionOffset) != 0 ? QueueItem::Download : QueueItem::Upload;
    item.isFolder = getInt(record + folderOffset) != 0;
    if (!item.isFolder)
        item.sizeText = getText(record + sizeOffset, sizeWidth);
    return item;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Data and directory entry on the disk before the rename that publishes them.
bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The previous file becomes the backup while the target keeps existing: a hard link first, a
// copy where the file system has none.
void keepBackup(const QString &target, const QString &backup)
{
    const QByteArray from = QFile::encodeName(target);
    const QByteArray to = QFile::encodeName(backup);
    ::unlink(to.constData());
    if (::link(from.constData(), to.constData()) != 0 && errno != ENOENT)
        QFile::copy(target, backup);
}

SaveResult saveInProgramFolder(const QString &target, const QByteArray &bytes, Backup backup,
                               const QString &folder)
{
    SaveResult result;
    const QString temporary = folder + QLatin1String(temporaryName);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        result.status = SaveStatus::CannotCreate;
        result.error = file.errorString();
        return result;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || !syncFile(temporary)) {
        result.status = SaveStatus::CannotWrite;
        result.error = file.errorString();
        QFile::remove(temporary);
        return result;
    }
    if (backup == Backup::Rotate)
        keepBackup(target, folder + QLatin1String(backupName));
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        result.status = SaveStatus::CannotReplace;
        result.error = systemError(errno);
        return result;
    }
    syncFolder(folder);
    return result;
}

SaveResult saveElsewhere(const QString &target, const QByteArray &bytes)
{
    SaveResult result;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        result.status = SaveStatus::CannotCreate;
        result.error = file.errorString();
        return result;
    }
    file.write(bytes);
    if (!file.commit()) {
        result.status = SaveStatus::CannotWrite;
        result.error = file.errorString();
    }
    return result;
}

} // namespace

QByteArray sizeFieldText(const QByteArray &sizeText)
{
    // A text that fills the field has no terminator there; readers take the whole field. So a
    // twelve-byte text read from a file writes back as it came.
    if (sizeText.size() <= sizeWidth)
        return sizeText;
    QByteArray digits = sizeText;
    digits.replace(',', QByteArray());
    return digits.size() <= sizeWidth ? digits : QByteArray();
}

namespace
{

// A path of exactly the field's width (read from another installation's file) is written back
// as it came, without terminator.
bool fitsFields(const QueueItem &item)
{
    return item.name.size() <= pathWidth && item.destination.size() <= pathWidth;
}

} // namespace

QByteArray encode(const std::vector<QueueItem> &items, std::vector<QByteArray> *sizesDropped)
{
    quint32 count = 0;
    for (const QueueItem &item : items)
        count += fitsFields(item) ? 1 : 0;
    QByteArray out(headerSize + recordSize * qsizetype(count), '\0');
    std::memcpy(out.data(), "QUEUEDAT010", 12);
    putInt(out.data() + 12, count);
    char *record = out.data() + headerSize;
    for (const QueueItem &item : items) {
        if (!fitsFields(item))
            continue;
        putText(record + nameOffset, item.name, pathWidth);
        if (!item.isFolder) {
            const QByteArray size = sizeFieldText(item.sizeText);
            if (size.isEmpty() && !item.sizeText.isEmpty() && sizesDropped)
                sizesDropped->push_back(item.name);
            putText(record + sizeOffset, size, sizeWidth);
        }
        putText(record + destinationOffset, item.destination, pathWidth);
        putInt(record + directionOffset, item.direction == QueueItem::Download ? 1 : 0);
        putInt(record + folderOffset, item.isFolder ? 1 : 0);
        record += recordSize;
    }
    return out;
}

Decoded decode(QIODevice &in)
{
    Decoded result;
    char header[headerSize];
    if (in.read(header, headerSize) != headerSize)
        return result;
    result.headerComplete = true;
    result.count = getInt(header + 12);
    char record[recordSize];
    for (quint32 i = 0; i < result.count && i < maxRecords; ++i) {
        if (in.read(record, recordSize) != recordSize)
            break;
        result.items.push_back(decodeRecord(record));
    }
    return result;
}

Target resolve(const QString &fileName, const QString &programFolder)
{
    if (QDir::isAbsolutePath(fileName))
        return {fileName, false};
    return {programFolder + fileName, true};
}

SaveResult save(const QString &fileName, const std::vector<QueueItem> &items, Backup backup,
                const QString &programFolder)
{
    const Target target = resolve(fileName, programFolder);
    if (items.empty()) {
        if (target.inProgramFolder)
            QFile::remove(target.path);
        return {SaveStatus::NothingToSave, QString(), {}};
    }
    std::vector<QByteArray> dropped;
    const QByteArray bytes = encode(items, &dropped);
    SaveResult result = target.inProgramFolder
                            ? saveInProgramFolder(target.path, bytes, backup, programFolder)
                            : saveElsewhere(target.path, bytes);
    result.sizesDropped = std::move(dropped);
    return result;
}

SaveResult saveBackup(const QByteArray &previousFile, const QString &programFolder)
{
    const QString backup = programFolder + QLatin1String(backupName);
    if (previousFile.isEmpty()) {
        QFile::remove(backup);
        return {SaveStatus::NothingToSave, QString(), {}};
    }
    return saveInProgramFolder(backup, previousFile, Backup::Keep, programFolder);
}

LoadResult load(const QString &fileName, const QString &programFolder)
{
    LoadResult result;
    QFile file(resolve(fileName, programFolder).path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    result.opened = true;
    result.decoded = decode(file);
    return result;
}

} // namespace queuefile
