#include "controls/namefilter.h"

namespace {

// * any run of characters, ? one character, everything else itself. The last star is the only
// place to go back to, so a pattern of many stars costs at most name times pattern steps, where a
// regular expression of the same pattern can backtrack for longer than anyone waits.
bool wildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

NameFilter::NameFilter(const QString &text)
{
    const QString folded = text.left(maxLength).toCaseFolded();
    wildcard_ = folded.contains(QLatin1Char('*')) || folded.contains(QLatin1Char('?'));
    pattern_.reserve(folded.size());
    for (QChar c : folded) {
        if (c == QLatin1Char('*') && pattern_.endsWith(QLatin1Char('*')))
            continue;
        pattern_.append(c);
    }
}

bool NameFilter::matches(const QString &name) const
{
    if (pattern_.isEmpty())
        return true;
    const QString folded = name.toCaseFolded();
    return wildcard_ ? wildcardMatch(pattern_, folded) : folded.contains(pattern_);
}
