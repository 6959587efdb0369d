#include "panes/remotepaths.h"

#include "platform/namecodec.h"

QByteArray linkName(const QByteArray &name)
{
    const qsizetype arrow = name.indexOf(" ->");
    return arrow >= 0 ? name.left(arrow) : name;
}

ParentStep parentPath(const QByteArray &path)
{
    ParentStep step;
    const char separator = isBackslashPath(path) ? '\\' : '/';
    const qsizetype last = path.lastIndexOf(separator);
    if (last < 0)
        return step;
    step.leftFolder = path.mid(last + 1);
    // A separator at the very start is the root and stays.
    step.parent = path.left(last == 0 ? 1 : last);
    if (step.parent.endsWith(':'))
        step.parent += separator;
    step.hasParent = true;
    return step;
}

QByteArray trimTypedPath(const QByteArray &typed)
{
    if (!typed.endsWith('/') && !typed.endsWith('\\'))
        return typed;
    // Stripping the root itself would leave no path at all.
    if (typed.size() == 1)
        return typed;
    if (typed.size() > 2 && typed.at(typed.size() - 2) == ':')
        return typed;
    return typed.left(typed.size() - 1);
}

QString displayPath(const QByteArray &path)
{
    return namecodec::decodeName(path);
}
