#include "session/remoteoperation.h"

#include "session/remotepath.h"

#include <algorithm>

bool isLinkName(const QByteArray &name)
{
    return name.contains(" ->");
}

bool hasControlByte(const QByteArray &text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

NameProblem typedNameProblem(const QByteArray &name, const QByteArray &folder)
{
    if (hasControlByte(name))
        return NameProblem::ControlByte;
    // Servers with backslash paths read "/" as a separator too.
    if (name.contains('/') || (isBackslashPath(folder) && name.contains('\\')))
        return NameProblem::Separator;
    return NameProblem::None;
}

bool isPlainName(const QByteArray &name, const QByteArray &folder)
{
    return !name.isEmpty() && name != "." && name != ".." &&
           typedNameProblem(name, folder) == NameProblem::None;
}
