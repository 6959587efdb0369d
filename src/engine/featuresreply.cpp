#include "engine/featuresreply.h"

namespace
{

bool isKeywordCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool hasControlByte(const QByteArray &line)
{
    for (char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            return true;
    return false;
}

// "a*;b;c;" into its names, lower case; the starred ones also into `selected`.
void readFacts(const QByteArray &list, QList<QByteArray> &facts, QList<QByteArray> &selected)
{
    for (QByteArray fact : list.split(';')) {
        fact = fact.trimmed().toLower();
        const bool star = fact.endsWith('*');
        if (star)
            fact.chop(1);
        if (fact.isEmpty() || fact.size() > maxHashNameLength || facts.size() >= 64)
            continue;
        facts.append(fact);
        if (star)
            selected.append(fact);
    }
}

void readHashAlgorithms(const QByteArray &list, QList<QByteArray> &algorithms)
{
    for (QByteArray name : list.split(';')) {
        name = name.trimmed().toUpper();
        if (name.endsWith('*'))
            name.chop(1);
        if (name.isEmpty() || name.size() > maxHashNameLength || algorithms.contains(name))
            continue;
        if (algorithms.size() >= maxHashAlgorithms)
            break;
        algorithms.append(name);
    }
}

// One feature line; false when it is none.
bool readFeature(QByteArray line, FeaturesReply &out)
{
    // The rule is a leading blank, yet some servers repeat the code on every line instead.
    if (line.startsWith("211-"))
        line.remove(0, 4);
    line = line.trimmed();
    if (line.isEmpty())
        return true;
    const qsizetype blank = line.indexOf(' ');
    const QByteArray keyword = (blank < 0 ? line : line.left(blank)).toUpper();
    const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed();
    for (char c : keyword)
        if (!isKeywordCharacter(c))
            return false;
    ServerFeatures &f = out.features;
    if (keyword == "MLST") {
        f.mlst = true;
        f.mlsd = true; // MLSD comes with MLST
        readFacts(argument, out.mlstFacts, out.mlstSelected);
    } else if (keyword == "MLSD") {
        f.mlsd = true;
    } else if (keyword == "UTF8") {
        f.utf8 = true;
    } else if (keyword == "SIZE") {
        f.size = true;
    } else if (keyword == "MDTM") {
        f.mdtm = true;
    } else if (keyword == "MFMT") {
        f.mfmt = true;
    } else if (keyword == "REST") {
        f.restStream = f.restStream || argument.toUpper() == "STREAM";
    } else if (keyword == "EPSV") {
        f.epsv = true;
    } else if (keyword == "EPRT") {
        f.eprt = true;
    } else if (keyword == "HASH") {
        readHashAlgorithms(argument, f.hashAlgorithms);
    } else if (keyword == "XSHA256") {
        f.xsha256 = true;
    } else if (keyword == "XSHA1") {
        f.xsha1 = true;
    } else if (keyword == "XMD5") {
        f.xmd5 = true;
    } else if (keyword == "XCRC") {
        f.xcrc = true;
    }
    return true;
}

FeaturesReply nothing(bool malformed)
{
    FeaturesReply reply;
    reply.malformed = malformed;
    return reply;
}

} // namespace

FeaturesReply ParseFeaturesReply(const QList<QByteArray> &lines)
{
    if (lines.isEmpty() || !lines.first().startsWith("211"))
        return nothing(!lines.isEmpty() && lines.first().startsWith('2'));
    const QByteArray &first = lines.first();
    if (first.size() > 3 && first[3] == ' ') {
        FeaturesReply empty = nothing(lines.size() != 1);
        empty.features.answered = lines.size() == 1;
        return empty;
    }
    if (first.size() < 4 || first[3] != '-' || lines.size() < 2 || !lines.last().startsWith("211") ||
        (lines.last().size() > 3 && lines.last()[3] != ' '))
        return nothing(true);
    FeaturesReply out;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        if (hasControlByte(lines[i]) || !readFeature(lines[i], out))
            return nothing(true);
    }
    out.features.answered = true;
    return out;
}
