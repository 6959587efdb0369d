#include "engine/hashreply.h"

#include <QList>

#include <cctype>

namespace
{

bool isHex(const QByteArray &text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return !text.isEmpty();
}

// The reply's code: three digits, class 2, then a blank (a multi-line reply's last line counts).
std::optional<QByteArray> positiveText(const QByteArray &reply)
{
    QByteArray line = reply.trimmed();
    const qsizetype lastBreak = line.lastIndexOf('\n');
    if (lastBreak >= 0)
        line = line.mid(lastBreak + 1).trimmed();
    if (line.size() < 4 || line[0] != '2' || !std::isdigit(uchar(line[1])) || !std::isdigit(uchar(line[2])) ||
        line[3] != ' ')
        return std::nullopt;
    return line.mid(4);
}

// "0-1234": the range a HASH reply covers must start at the file's first byte.
bool wholeFileRange(const QByteArray &range)
{
    const qsizetype dash = range.indexOf('-');
    if (dash != 1 || range[0] != '0')
        return false;
    const QByteArray end = range.mid(dash + 1);
    for (const char c : end) {
        if (!std::isdigit(uchar(c)))
            return false;
    }
    return true;
}

} // namespace

QByteArray HashCommand::verb() const
{
    if (viaHash)
        return "HASH";
    switch (algorithm) {
    case HashAlgorithm::Sha256:
        return "XSHA256";
    case HashAlgorithm::Sha1:
        return "XSHA1";
    case HashAlgorithm::Md5:
        return "XMD5";
    case HashAlgorithm::Crc32:
        break;
    }
    return "XCRC";
}

std::optional<HashCommand> ChooseHashCommand(const ServerFeatures &features)
{
    const struct {
        HashAlgorithm algorithm;
        bool x;
    } order[] = {{HashAlgorithm::Sha256, features.xsha256},
                 {HashAlgorithm::Sha1, features.xsha1},
                 {HashAlgorithm::Md5, features.xmd5},
                 {HashAlgorithm::Crc32, features.xcrc}};
    for (const auto &choice : order) {
        if (features.hashAlgorithms.contains(hashAlgorithmName(choice.algorithm)))
            return HashCommand{choice.algorithm, true};
        if (choice.x)
            return HashCommand{choice.algorithm, false};
    }
    return std::nullopt;
}

std::optional<QByteArray> ParseHashReply(const QByteArray &reply, const HashCommand &command)
{
    const std::optional<QByteArray> text = positiveText(reply);
    if (!text)
        return std::nullopt;
    const QList<QByteArray> words = text->simplified().split(' ');
    QByteArray digest;
    if (command.viaHash) {
        if (words.size() < 3 || words[0].toUpper() != hashAlgorithmName(command.algorithm) ||
            !wholeFileRange(words[1]))
            return std::nullopt;
        digest = words[2];
    } else {
        digest = words.value(0);
    }
    if (digest.size() != hashHexLength(command.algorithm) || !isHex(digest))
        return std::nullopt;
    return digest.toLower();
}
