#include "engine/modifiedtimereply.h"

#include "engine/filetimes.h"

std::optional<QByteArray> ParseModifiedTimeReply(const QByteArray &reply)
{
    const std::optional<std::int64_t> seconds = ParseTimeReply(reply.trimmed());
    if (!seconds)
        return std::nullopt;
    const QByteArray text = FactTimeText(*seconds);
    return text.isEmpty() ? std::nullopt : std::optional<QByteArray>(text);
}
