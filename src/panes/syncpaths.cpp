#include "panes/syncpaths.h"

namespace
{

struct SplitPath {
    char separator = '/';
    bool rooted = false; // begins with the separator
    QByteArrayList parts;
    // The parts a walk may not climb above: a backslash path's drive ("C:").
    qsizetype fixed = 0;
};

SplitPath splitPath(const QByteArray &path)
{
    SplitPath split;
    split.separator = path.contains('\\') ? '\\' : '/';
    split.rooted = path.startsWith(split.separator);
    for (const QByteArray &part : path.split(split.separator))
        if (!part.isEmpty() && part != ".")
            split.parts.append(part);
    if (split.separator == '\\' && !split.parts.isEmpty() && split.parts.front().endsWith(':'))
        split.fixed = 1;
    return split;
}

QByteArray joinPath(const SplitPath &split)
{
    const QByteArray separator(1, split.separator);
    QByteArray path = (split.rooted ? separator : QByteArray()) + split.parts.join(split.separator);
    // A drive alone is its root.
    if (split.fixed == 1 && split.parts.size() == 1)
        path += separator;
    if (path.isEmpty())
        path = separator;
    return path;
}

} // namespace

FolderWalk walkBetween(const QByteArray &from, const QByteArray &to)
{
    const SplitPath a = splitPath(from);
    const SplitPath b = splitPath(to);
    qsizetype same = 0;
    while (same < a.parts.size() && same < b.parts.size() && a.parts[same] == b.parts[same])
        ++same;
    FolderWalk walk;
    walk.up = int(a.parts.size() - same);
    walk.down = b.parts.mid(same);
    return walk;
}

std::optional<QByteArray> followWalk(const QByteArray &from, const FolderWalk &walk)
{
    SplitPath split = splitPath(from);
    if (walk.up < 0 || walk.up > split.parts.size() - split.fixed)
        return std::nullopt;
    split.parts.resize(split.parts.size() - walk.up);
    for (const QByteArray &part : walk.down) {
        if (part.isEmpty() || part == "." || part == ".." || part.contains('/') || part.contains('\\'))
            return std::nullopt;
        split.parts.append(part);
    }
    return joinPath(split);
}

std::optional<QByteArray> climb(const QByteArray &path, int levels)
{
    return followWalk(path, FolderWalk{levels, {}});
}
