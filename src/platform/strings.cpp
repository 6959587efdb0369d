#include "platform/strings.h"

#include <QLocale>

#include <algorithm>
#include <atomic>

namespace {

// Sorted by id; the tables are generated in that order.
constexpr StringEntry englishEntries[] = {
#include "strings_en.inc"
};
constexpr StringEntry koreanEntries[] = {
#include "strings_ko.inc"
};

std::atomic<Language> language{QLocale::system().language() == QLocale::Korean ? Language::Korean
                                                                                 : Language::English};

const char *lookup(const StringTable &table, int id)
{
    const StringEntry *end = table.entries + table.count;
    const StringEntry *it = std::lower_bound(table.entries, end, id,
                                             [](const StringEntry &e, int key) { return e.id < key; });
    return it != end && it->id == id ? it->text : nullptr;
}

} // namespace

Language currentLanguage() { return language.load(); }
void setLanguage(Language lang) { language = lang; }

StringTable stringTable(Language lang)
{
    if (lang == Language::Korean)
        return {koreanEntries, int(std::size(koreanEntries))};
    return {englishEntries, int(std::size(englishEntries))};
}

QString loadString(int id)
{
    const char *text = lookup(stringTable(currentLanguage()), id);
    if (!text)
        text = lookup(stringTable(Language::English), id);
    return text ? QString::fromUtf8(text) : QString();
}
