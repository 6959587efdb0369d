#pragma once

#include <QString>

// The language of the program's texts: English, the language they are written in, or Korean,
// from the translation compiled into the program.
enum class Language { English, Korean };

// Follows the locale at start; tests may switch it.
Language currentLanguage();
// Switches the texts of the program and of Qt's own dialogs and menus. Takes effect once an
// application object exists; installTranslations() applies the language chosen before that.
void setLanguage(Language language);
void installTranslations();

// The text of `id`, or an empty text when the table has none.
QString loadString(int id);

// The numbered English texts, each with the disambiguation that keeps two ids of one wording
// apart in the translation, sorted by id.
struct StringEntry {
    int id;
    struct Source {
        const char *text;
        const char *disambiguation;
    } source;
};
struct StringTable {
    const StringEntry *entries;
    int count;
};
StringTable englishStrings();
