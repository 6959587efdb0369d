#include "session/transferpaths.h"

#include "platform/filerow.h"

#include <QList>

bool IsPlainEntryName(QByteArrayView name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\')
            return false;
    }
    return true;
}

bool LinkStaysInside(QByteArrayView target)
{
    if (target.isEmpty() || target.front() == '/' || target.front() == '\\' ||
        (target.size() >= 2 && target[1] == ':'))
        return false;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= target.size(); ++i) {
        if (i < target.size() && target[i] != '/' && target[i] != '\\')
            continue;
        const QByteArrayView part = target.sliced(start, i - start);
        start = i + 1;
        if (part == "..") {
            if (--depth < 0)
                return false;
        } else if (!part.isEmpty() && part != ".") {
            ++depth;
        }
    }
    return true;
}

std::optional<ListedLink> SplitListedLink(const QByteArray &name)
{
    const qsizetype arrow = name.indexOf(" -> ");
    if (arrow < 0)
        return std::nullopt;
    return ListedLink{name.left(arrow), name.mid(arrow + 4)};
}

char RemoteSeparator(QByteArrayView path)
{
    return path.contains('\\') ? '\\' : '/';
}

QByteArray RemoteChildPath(const QByteArray &base, const QByteArray &name)
{
    const char separator = RemoteSeparator(base);
    QByteArray path = base;
    if (!path.endsWith(separator))
        path += separator;
    return path + (name.startsWith(separator) ? name.mid(1) : name);
}

QByteArray NormalRemotePath(const QByteArray &path)
{
    const char separator = RemoteSeparator(path);
    QList<QByteArray> kept;
    for (const QByteArray &part : path.split(separator)) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.append(part);
    }
    QByteArray normal = path.startsWith(separator) ? QByteArray(1, separator) : QByteArray();
    return normal + kept.join(separator);
}

namespace
{

QList<QByteArray> folderParts(const QByteArray &path, char separator)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split(separator)) {
        if (!part.isEmpty() && part != ".")
            parts.append(part);
    }
    return parts;
}

QByteArray rootedPath(const QList<QByteArray> &parts, qsizetype count, char separator)
{
    return separator + parts.first(count).join(separator);
}

} // namespace

std::vector<RemoteFolderStep> RemoteFolderSteps(const QByteArray &from, const QByteArray &to)
{
    const char separator = RemoteSeparator(to);
    if (!from.startsWith('/') || !to.startsWith('/') || separator != '/' || RemoteSeparator(from) != '/')
        return {{false, to, to}};
    const QList<QByteArray> fromParts = folderParts(from, separator);
    const QList<QByteArray> toParts = folderParts(to, separator);
    qsizetype common = 0;
    while (common < fromParts.size() && common < toParts.size() && fromParts[common] == toParts[common])
        ++common;
    std::vector<RemoteFolderStep> steps;
    for (qsizetype depth = fromParts.size(); depth > common; --depth)
        steps.push_back({true, {}, rootedPath(fromParts, depth - 1, separator)});
    for (qsizetype depth = common; depth < toParts.size(); ++depth)
        steps.push_back({false, toParts[depth], rootedPath(toParts, depth + 1, separator)});
    return steps;
}

QByteArray LocalChildPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

char TransferTypeForPath(QByteArrayView path, const QString &asciiExtensions)
{
    const qsizetype dot = path.lastIndexOf('.');
    if (dot <= 0 || asciiExtensions.isEmpty())
        return 'I';
    const QString extension = QString::fromUtf8(path.sliced(dot + 1));
    for (const QString &token : asciiExtensions.split(QLatin1Char(','))) {
        if (token.isEmpty())
            break;
        if (token.compare(extension, Qt::CaseInsensitive) == 0)
            return 'A';
    }
    return 'I';
}

QByteArray GroupedSizeText(qint64 size)
{
    return groupedNumberText(size).toLatin1();
}
