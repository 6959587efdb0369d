#pragma once

#include <QString>

// What a list's filter box keeps: names containing the text, or, when it holds * or ?, names the
// whole pattern matches; case is ignored either way. An empty filter keeps every name.
class NameFilter
{
public:
    // What a filter looks at; a longer text is cut, so that a pasted page costs no more than this.
    static constexpr qsizetype maxLength = 1000;

    NameFilter() = default;
    explicit NameFilter(const QString &text);

    [[nodiscard]] bool isEmpty() const { return pattern_.isEmpty(); }
    [[nodiscard]] const QString &text() const { return pattern_; }
    [[nodiscard]] bool matches(const QString &name) const;

private:
    // Case-folded; a run of stars is one star.
    QString pattern_;
    bool wildcard_ = false;
};
