#include "session/remotepath.h"

bool isBackslashPath(const QByteArray &path)
{
    return path.contains('\\');
}

char pathSeparator(const QByteArray &path)
{
    return isBackslashPath(path) ? '\\' : '/';
}

QByteArray childPath(const QByteArray &base, const QByteArray &name)
{
    const char separator = pathSeparator(base);
    return collapseSeparators(base + separator + name, separator);
}

QByteArray collapseSeparators(QByteArray path, char separator)
{
    const char doubled[3] = {separator, separator, '\0'};
    const char single[2] = {separator, '\0'};
    return path.replace(doubled, single);
}
