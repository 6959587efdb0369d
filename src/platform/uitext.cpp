#include "platform/uitext.h"

#include "platform/strings.h"

#include <QHash>

namespace {

constexpr UiTextEntry koreanEntries[] = {
#include "uitexts_ko.inc"
};

const QHash<QByteArray, const char *> &koreanByEnglish()
{
    static const QHash<QByteArray, const char *> table = [] {
        QHash<QByteArray, const char *> hash;
        hash.reserve(int(std::size(koreanEntries)));
        for (const UiTextEntry &entry : koreanEntries)
            hash.insert(QByteArray(entry.english), entry.korean);
        return hash;
    }();
    return table;
}

} // namespace

UiTextTable uiTextTable() { return {koreanEntries, int(std::size(koreanEntries))}; }

QString uiText(const char *english)
{
    if (currentLanguage() == Language::Korean) {
        const auto &table = koreanByEnglish();
        const auto it = table.constFind(QByteArray(english));
        if (it != table.constEnd())
            return QString::fromUtf8(it.value());
    }
    return QString::fromUtf8(english);
}
