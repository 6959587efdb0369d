#include "session/remoteoperation.h"

#include "session/remotepath.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>

namespace
{

// Bumped when the layout changes; an argument of another layout is refused.
constexpr quint32 layoutVersion = 1;
// A selection larger than any list could hold is a corrupt argument.
constexpr quint32 maxItems = 10'000'000;

} // namespace

QByteArray RemoteOperation::encode() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << layoutVersion << folder << text << quint32(items.size());
    for (const RemoteItem &item : items)
        out << item.name << item.folder << item.linkAttributes;
    return bytes;
}

std::optional<RemoteOperation> RemoteOperation::decode(const QByteArray &argument)
{
    QDataStream in(argument);
    quint32 version = 0;
    quint32 count = 0;
    RemoteOperation operation;
    in >> version >> operation.folder >> operation.text >> count;
    if (in.status() != QDataStream::Ok || version != layoutVersion || count > maxItems)
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        RemoteItem item;
        in >> item.name >> item.folder >> item.linkAttributes;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        operation.items.push_back(std::move(item));
    }
    return operation;
}

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
